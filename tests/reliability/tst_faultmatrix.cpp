// Every fault the board simulator can play, against each kind of work the
// terminal does on the line: a configuration read (the fault on the identity
// command and on the configuration command), a write, a test, a codec command
// and a trace poll. All of it through the real link thread and serial port over
// the simulator's pseudo-terminal. For each case: the exact log lines, the
// thread's signals, the frames on the line and the pauses taken; that the same
// work succeeds right after the fault; and that a failed operation changed no
// record of the terminal and no state of the board.

#include <QMutex>
#include <QMutexLocker>
#include <QSignalSpy>
#include <QtTest>

#include <memory>

#include "simharness.h"
#include "tq275.h"
#include "tthread.h"

namespace
{
const QString kRibLost = QStringLiteral("Ошибка соединения с MOTOROLA RIB");
const QString kRibEcho = QStringLiteral("Ошибка передачи данных через MOTOROLA RIB");
const QString kRetransmit = QStringLiteral("Запрос повторной передачи");
const QString kNoAck = QStringLiteral("Превышено время ожидания ACK");
const QString kRadio = QStringLiteral("Ошибка приема данных от радиостанции: ");
const QString kBoard = QStringLiteral("Ошибка приема данных от опциональной платы: ");
const QString kBoardCode = QStringLiteral("Ошибка, код ответа опциональной платы: 0x");
const QString kBadId = QStringLiteral("Ошибка идентификатора пакета опциональной платы: ");
const QString kRetry = QStringLiteral("Повтор передачи - попытка=");
const QString kStatus1 =
    QStringLiteral("Ошибка, контрольной суммы в пакете принятом адаптером Q-275");
const QString kStatus2 = QStringLiteral("Ошибка, выполнения команды адаптером Q-275");
const QString kStatusX = QStringLiteral("Команда на поддерживается версией адаптера Q-275");
const QString kReadDone = QStringLiteral("Процесс чтения конфигурации выполнен");
const QString kNoIdent = QStringLiteral("Адаптер Q-275 версия 0.0");
const QString kSaveDone = QStringLiteral("Процесс загрузки конфигурации выполнен");
const QString kTestDone = QStringLiteral("Загрузка тестовой конфигурации выполнена");
const QString kCodecDone = QStringLiteral("Передача команд кодека выполнена успешно");
const QString kCodecFail = QStringLiteral("Ошибка в передаче команд кодека");

enum Op { OpRead, OpReadIdent, OpWrite, OpTest, OpCodec, OpTracePoll };

// What one fault does to one transaction.
struct Effect {
    QStringList lines;  // the transport's lines, in order
    int attempts = 1;   // frames of the command on the line
    QList<int> pauses;  // pauses between them
    bool fails = false; // the transaction ends in failure
    int reached = 0;    // attempts whose request the board carried out
    QString status;     // a setting refused with this status line
    bool errorAnswer = false;
    int shortTrace = -1; // trace poll: the record cut to this many data bytes
};

// The lines of a retried fault, attempt after attempt, as the transport logs them.
Effect retried(const QStringList &each, int pause, int attempts, bool reaches)
{
    Effect e;
    e.attempts = attempts;
    const bool always = attempts == 10;
    for (int i = 1; i <= attempts; ++i) {
        if (i == attempts && !always)
            break; // the last attempt succeeds
        e.lines << each;
        if (i < 10) {
            e.lines << kRetry + QString::number(i);
            e.pauses << pause;
        }
    }
    e.fails = always;
    e.reached = reaches ? attempts : (always ? 0 : 1);
    return e;
}

struct Case {
    QString faults; // the faults (';' between them), without their command
    Effect effect;
};

// The faults of the simulator and what each must do to a transaction of the
// command cmd (one with a status byte when setting is true).
QList<QPair<QString, Case>> faultCases(quint8 cmd, bool setting, bool tracePoll)
{
    QList<QPair<QString, Case>> l;
    auto add = [&](const QString &name, const QString &faults, const Effect &e) {
        l.append({name, Case{faults, e}});
    };
    Effect lost;
    lost.lines = {kRibLost};
    lost.fails = true;
    add("no-echo", "no-echo", lost);
    add("short-echo", "short-echo", lost);
    add("bad-echo", "bad-echo", retried({kRibEcho}, 1000, 2, false));
    add("bad-echo=0", "bad-echo=0", retried({kRibEcho}, 1000, 2, false));
    add("bad-echo always", "bad-echo,always", retried({kRibEcho}, 1000, 10, false));
    add("no-ack", "no-ack", retried({kNoAck}, 1000, 2, false));
    add("nak", "nak", retried({kRetransmit}, 250, 2, false));
    add("nak count=3", "nak,count=3", retried({kRetransmit}, 250, 4, false));
    add("nak always", "nak,always", retried({kRetransmit}, 250, 10, false));
    Effect once;
    once.reached = 1;
    add("stray", "stray", once);
    // Stray bytes, then the retransmission request: it is still taken as such.
    add("stray then nak", "stray=0011;nak", retried({kRetransmit}, 250, 2, false));
    add("long-len", "long-len", once);
    add("long-len=FF", "long-len=FF", once);
    Effect closed;
    closed.fails = true;
    add("close", "close", closed);
    add("no-answer", "no-answer", retried({}, 1000, 2, true));
    add("bad-frame-sum", "bad-frame-sum", retried({kRadio + "11"}, 1000, 2, true));
    add("bad-frame-sum always", "bad-frame-sum,always", retried({kRadio + "11"}, 1000, 10, true));
    add("bad-packet-sum", "bad-packet-sum", retried({kBoard + "11"}, 1000, 2, true));
    add("bad-packet-sum always", "bad-packet-sum,always", retried({kBoard + "11"}, 1000, 10, true));
    add("wrong-id", "wrong-id", retried({kBadId + QString::number(cmd + 1)}, 1000, 2, true));
    // An answer to another command the board knows is not this one's either.
    add("wrong-id=84", "wrong-id=84", retried({kBadId + QString::number(0x84)}, 1000, 2, true));
    add("wrong-id always", "wrong-id,always",
        retried({kBadId + QString::number(cmd + 1)}, 1000, 10, true));
    add("corrupt", "corrupt", retried({kRadio + "11"}, 1000, 2, true));
    add("truncated", "truncated", retried({kRadio + "10"}, 1000, 2, true));
    add("truncated=5", "truncated=5", retried({kRadio + "10"}, 1000, 2, true));
    if (tracePoll) {
        // A trace answer has no fixed length: a short one is a shorter record.
        Effect s = once;
        s.shortTrace = 2;
        add("short", "short", s);
    } else {
        add("short", "short", retried({kBoard + "10"}, 1000, 2, true));
        add("short=0", "short=0", retried({kBoard + "10"}, 1000, 2, true));
    }
    Effect err;
    err.lines = {kBoardCode + "5"};
    err.fails = true;
    err.errorAnswer = true;
    add("error", "error", err);
    err.lines = {kBoardCode + "1f"};
    add("error=1F", "error=1F", err);
    err.lines = {kBoardCode + "0"};
    add("error=00", "error=00", err);
    if (setting) {
        Effect st;
        st.fails = true;
        st.status = kStatus1;
        add("status=1", "status=1", st);
        st.status = kStatus2;
        add("status=2", "status=2", st);
        st.status = kStatusX;
        add("status=33", "status=33", st);
        add("status=FF", "status=FF", st);
    }
    return l;
}

// Collects what the link thread emits, in the order the GUI thread receives it.
class Recorder : public QObject
{
public:
    explicit Recorder(TThread *t)
    {
        connect(t, &TThread::readErr, this, [this] { events << "readErr"; });
        connect(t, &TThread::readCfg, this, [this](TQ275 *c) {
            events << "readCfg";
            cfg = QByteArray(reinterpret_cast<const char *>(c->bytes()), TQ275::Size);
        });
        connect(t, &TThread::testStp, this, [this] { events << "testStp"; });
        connect(t, &TThread::testErr, this, [this] { events << "testErr"; });
        connect(t, &TThread::saveStp, this, [this] { events << "saveStp"; });
        connect(t, &TThread::saveErr, this, [this] { events << "saveErr"; });
        connect(t, &TThread::traceRdy, this, [this](quint8 *r) {
            events << "traceRdy " +
                          QByteArray(reinterpret_cast<const char *>(r), r[0] + 1).toHex(' ');
        });
        connect(t, &TThread::traceErr, this, [this] { events << "traceErr"; });
        connect(t, &TThread::sendMax, this, [this](quint32 n) { sendMax << int(n); });
        connect(t, &TThread::recvMax, this, [this](qint32 n) { recvMax << n; });
        connect(t, &TThread::mes, this, [this](const QString &s) { lines << s; });
    }
    void clear()
    {
        events.clear();
        lines.clear();
        sendMax.clear();
        recvMax.clear();
        cfg.clear();
    }
    QStringList events;
    QStringList lines;
    QList<int> sendMax;
    QList<int> recvMax;
    QByteArray cfg;
};

const QStringList kBoardRecords = {"config", "test", "info", "ident", "rxctl", "micctl", "codec"};
} // namespace

Q_DECLARE_METATYPE(Effect)

class TstFaultMatrix : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<SimHarness> sim;
    std::unique_ptr<TThread> thread;
    std::unique_ptr<Recorder> rec;
    QMutex pauseLock;
    QList<int> pauses;

    QByteArray writeCfg;   // what the write sends: a valid record unlike the board's
    QByteArray testCfg;    // what the test sends
    QByteArray codecPairs; // register 22 to 120

    bool startBoard(QString &why)
    {
        rec.reset();
        thread.reset();
        sim.reset(new SimHarness);
        // Trace records only when the test queues them, so that every poll is foreseeable.
        if (!sim->start({"--trace-rate", "0"})) {
            why = sim->error();
            return false;
        }
        thread.reset(new TThread);
        thread->setPort(sim->portName());
        thread->setMode(1);
        // The pauses are recorded and shortened a thousandfold.
        thread->setSleepFunction([this](int ms) {
            {
                QMutexLocker l(&pauseLock);
                pauses << ms;
            }
            QThread::usleep(ulong(ms));
        });
        rec.reset(new Recorder(thread.get()));
        return true;
    }

    QList<int> takePauses()
    {
        QMutexLocker l(&pauseLock);
        const QList<int> p = pauses;
        pauses.clear();
        return p;
    }

    // Waits until the worker has run everything posted and its signals are in.
    bool settle(const std::function<bool()> &done, int ms = 30000)
    {
        const bool ok = SimHarness::waitFor([&] { return thread->isFinished() && done(); }, ms);
        QCoreApplication::sendPostedEvents();
        return ok;
    }

    QMap<QString, QByteArray> boardState() const
    {
        QMap<QString, QByteArray> m;
        for (const QString &k : kBoardRecords)
            m[k] = sim->record(k);
        return m;
    }

    static QByteArray validVariant(QByteArray cfg, quint8 x)
    {
        TQ275 r;
        memcpy(r.bytes(), cfg.constData(), TQ275::Size);
        r.rx[0] ^= x;
        r.mic[3] ^= x;
        r.updateChecksum();
        return QByteArray(reinterpret_cast<const char *>(r.bytes()), TQ275::Size);
    }

    static quint8 commandOf(Op op)
    {
        switch (op) {
        case OpRead:
            return 0x76;
        case OpReadIdent:
            return 0x79;
        case OpWrite:
            return 0x75;
        case OpTest:
            return 0x74;
        case OpCodec:
            return 0x82;
        case OpTracePoll:
            return 0x78;
        }
        return 0;
    }

    QByteArray requestData(quint8 cmd) const
    {
        switch (cmd) {
        case 0x75:
            return writeCfg;
        case 0x74:
            return testCfg;
        case 0x82:
            return QByteArray(1, '\x01') + codecPairs;
        default:
            return QByteArray();
        }
    }

    void post(Op op)
    {
        switch (op) {
        case OpRead:
        case OpReadIdent:
            thread->postRead();
            break;
        case OpWrite:
            thread->postSave(reinterpret_cast<const quint8 *>(writeCfg.constData()), 20);
            break;
        case OpTest:
            thread->postTest(reinterpret_cast<const quint8 *>(testCfg.constData()), 20);
            break;
        case OpCodec:
            thread->postCodec(reinterpret_cast<const quint8 *>(codecPairs.constData()), 1);
            break;
        case OpTracePoll:
            thread->postTracePoll();
            break;
        }
    }

    // The trace records the board holds for the poll under test, oldest first.
    const QList<QByteArray> traceQueue = {QByteArray::fromHex("02b1b2b3b4"),
                                          QByteArray::fromHex("03c1c2"),
                                          QByteArray::fromHex("00d1")};

    static QString traceEvent(const QByteArray &record)
    {
        return "traceRdy " + (QByteArray(1, char(record.size())) + record).toHex(' ');
    }

    void matrixData(Op op)
    {
        QTest::addColumn<QString>("faults");
        QTest::addColumn<Effect>("effect");
        const quint8 cmd = commandOf(op);
        const bool setting = op == OpWrite || op == OpTest || op == OpCodec;
        for (const auto &c : faultCases(cmd, setting, op == OpTracePoll))
            QTest::newRow(qPrintable(c.first)) << c.second.faults << c.second.effect;
    }

    void runMatrix(Op op)
    {
        QFETCH(QString, faults);
        QFETCH(Effect, effect);
        QString why;
        QVERIFY2(startBoard(why), qPrintable(why));
        const quint8 cmd = commandOf(op);

        // The terminal knows the board from an earlier read (its identity and
        // board data); a trace poll needs the trace switched on.
        thread->postRead();
        QVERIFY(settle([&] { return rec->events.contains("readCfg"); }));
        quint8 ident[18], info[22];
        thread->getIdent(ident);
        thread->getInfo(info);
        QCOMPARE(QByteArray(reinterpret_cast<char *>(ident), 18), sim->record("ident"));
        if (op == OpTracePoll) {
            rec->clear();
            QVERIFY(sim->control("trace 01a1"));
            thread->postTrace(1);
            QVERIFY(settle([&] { return !rec->events.isEmpty(); }));
            QCOMPARE(rec->events, QStringList{traceEvent(QByteArray::fromHex("01a1"))});
            for (const QByteArray &r : traceQueue)
                QVERIFY(sim->control("trace " + r.toHex()));
        }
        rec->clear();
        takePauses();
        sim->markLog();
        const QMap<QString, QByteArray> before = boardState();

        // --- the operation under the fault
        for (const QString &one : faults.split(QLatin1Char(';')))
            QVERIFY(
                sim->fault(QStringLiteral("%1,cmd=%2").arg(one).arg(cmd, 2, 16, QLatin1Char('0'))));
        post(op);
        QVERIFY2(settle([&] { return op == OpCodec || !rec->events.isEmpty(); }),
                 qPrintable(rec->lines.join('\n')));

        // The frames on the line: every attempt sends the same frame anew.
        QList<quint8> cmds;
        QStringList expectLines;
        QStringList expectEvents;
        bool opFails = effect.fails;
        const QByteArray cfgBefore = sim->record("config");
        switch (op) {
        case OpRead:
            cmds << 0x79 << 0x80;
            cmds << QList<quint8>(effect.attempts, 0x76);
            expectLines = effect.lines;
            if (!opFails)
                expectLines << kReadDone;
            expectEvents << (opFails ? "readErr" : "readCfg");
            break;
        case OpReadIdent:
            cmds << QList<quint8>(effect.attempts, 0x79);
            expectLines = effect.lines;
            if (effect.errorAnswer) {
                // A board without identity: no board data asked, the record is read.
                expectLines << kNoIdent;
                cmds << 0x76;
                opFails = false;
            } else if (!opFails) {
                cmds << 0x80 << 0x76;
            }
            if (!opFails)
                expectLines << kReadDone;
            expectEvents << (opFails ? "readErr" : "readCfg");
            break;
        case OpWrite:
        case OpTest: {
            const bool w = op == OpWrite;
            cmds << QList<quint8>(effect.attempts, cmd);
            expectLines = effect.lines;
            if (!opFails)
                expectLines << (w ? kSaveDone : kTestDone);
            else if (!effect.status.isEmpty())
                expectLines << effect.status;
            expectEvents << (w ? (opFails ? "saveErr" : "saveStp")
                               : (opFails ? "testErr" : "testStp"));
            break;
        }
        case OpCodec:
            cmds << QList<quint8>(effect.attempts, cmd);
            expectLines = effect.lines;
            if (!opFails)
                expectLines << kCodecDone;
            else if (!effect.status.isEmpty())
                expectLines << effect.status;
            else
                expectLines << kCodecFail;
            break;
        case OpTracePoll: {
            cmds << QList<quint8>(effect.attempts, cmd);
            expectLines = effect.lines;
            if (opFails) {
                expectEvents << "traceErr";
            } else {
                // Each attempt the board carried out took one record off its queue.
                QByteArray r = traceQueue.value(effect.reached - 1);
                if (effect.shortTrace >= 0)
                    r = r.left(effect.shortTrace);
                expectEvents << traceEvent(r);
            }
            break;
        }
        }
        QVERIFY2(rec->lines == expectLines, qPrintable("lines:\n" + rec->lines.join('\n')));
        QCOMPARE(rec->events, expectEvents);
        QCOMPARE(sim->commands(), cmds);
        QCOMPARE(takePauses(), effect.pauses);
        // One sendMax per frame, with the frame's length; each frame exactly as built.
        QList<int> lens;
        const QList<QByteArray> frames = sim->received();
        QCOMPARE(frames.size(), cmds.size());
        for (int i = 0; i < cmds.size(); ++i) {
            const QByteArray f = SimHarness::requestFrame(cmds[i], requestData(cmds[i]));
            QCOMPARE(frames[i].toHex(' '), f.toHex(' '));
            lens << f.size();
        }
        QCOMPARE(rec->sendMax, lens);

        // Nothing the failed operation touched has changed.
        const QMap<QString, QByteArray> after = boardState();
        const QString target = op == OpWrite   ? "config"
                               : op == OpTest  ? "test"
                               : op == OpCodec ? "codec"
                                               : "";
        for (const QString &k : kBoardRecords) {
            if (k != target || (opFails && effect.reached == 0)) {
                QVERIFY2(after[k] == before[k], qPrintable("board record " + k));
            }
        }
        if (!target.isEmpty() && (!opFails || effect.reached > 0)) {
            // The board carried the command out (its answer may have been lost on the way).
            if (op == OpCodec)
                QCOMPARE(quint8(after["codec"].at(0x16)), quint8(120));
            else
                QCOMPARE(after[target], op == OpWrite ? writeCfg : testCfg);
        }
        if (op == OpRead || op == OpReadIdent) {
            if (!opFails)
                QCOMPARE(rec->cfg, cfgBefore);
            quint8 identNow[18], infoNow[22];
            thread->getIdent(identNow);
            thread->getInfo(infoNow);
            QByteArray expectIdent(reinterpret_cast<char *>(ident), 18);
            if (effect.errorAnswer && op == OpReadIdent)
                expectIdent[0] = expectIdent[1] = 0; // the version of a board without identity
            QCOMPARE(QByteArray(reinterpret_cast<char *>(identNow), 18), expectIdent);
            QCOMPARE(QByteArray(reinterpret_cast<char *>(infoNow), 22),
                     QByteArray(reinterpret_cast<char *>(info), 22));
        }

        // --- the same work right after, with the line healthy again
        QVERIFY(sim->control("clear"));
        rec->clear();
        takePauses();
        sim->markLog();
        QByteArray next;
        if (op == OpTracePoll) {
            QVERIFY(sim->control("trace 00e1e2"));
            // Every attempt the board carried out took a record, while there were any.
            const int taken = qMin(effect.reached, int(traceQueue.size()));
            QList<QByteArray> queue = traceQueue;
            queue << QByteArray::fromHex("00e1e2");
            next = queue.value(taken);
        }
        if (op == OpWrite)
            writeCfg = validVariant(writeCfg, 0x21);
        if (op == OpTest)
            testCfg = validVariant(testCfg, 0x21);
        post(op);
        QVERIFY(settle([&] { return !rec->events.isEmpty() || !rec->lines.isEmpty(); }));
        QVERIFY(takePauses().isEmpty());
        switch (op) {
        case OpRead:
        case OpReadIdent:
            QCOMPARE(rec->events, QStringList{"readCfg"});
            QCOMPARE(rec->lines, QStringList{kReadDone});
            QCOMPARE(rec->cfg, sim->record("config"));
            QCOMPARE(sim->commands(), (QList<quint8>{0x79, 0x80, 0x76}));
            QCOMPARE(rec->recvMax, (QList<int>{23, 27, 25}));
            break;
        case OpWrite:
            QCOMPARE(rec->events, QStringList{"saveStp"});
            QCOMPARE(rec->lines, QStringList{kSaveDone});
            QCOMPARE(sim->record("config"), writeCfg);
            break;
        case OpTest:
            QCOMPARE(rec->events, QStringList{"testStp"});
            QCOMPARE(rec->lines, QStringList{kTestDone});
            QCOMPARE(sim->record("test"), testCfg);
            break;
        case OpCodec:
            QCOMPARE(rec->lines, QStringList{kCodecDone});
            QCOMPARE(quint8(sim->record("codec").at(0x16)), quint8(120));
            break;
        case OpTracePoll:
            QCOMPARE(rec->events, QStringList{traceEvent(next)});
            QVERIFY(rec->lines.isEmpty());
            break;
        }
        QCOMPARE(sim->commands().size(), op == OpRead || op == OpReadIdent ? 3 : 1);
    }

private slots:
    // In a service mode the port writes its own lines and the hex dumps: the lines
    // of a write under a fault, dumps aside, and the dumps against the line itself.
    void serviceMode_data()
    {
        QTest::addColumn<QString>("faults");
        QTest::addColumn<QStringList>("expect"); // N stands for the port name
        const QString open = QStringLiteral("Открыт порт N");
        const QString closed = QStringLiteral("Закрыт порт N");
        QTest::newRow("healthy") << QString() << QStringList{open, closed, kSaveDone};
        // The line hangs up: a failed read, which the closing line reports with -1.
        QTest::newRow("close") << "close"
                               << QStringList{open, QStringLiteral("Ошибка порта N: -1"), closed};
        // An incomplete echo ends with the transport's own code 10: no port-error line.
        QTest::newRow("no-echo") << "no-echo" << QStringList{open, kRibLost, closed};
        QTest::newRow("nak") << "nak" << QStringList{open, kRetransmit, closed,   kRetry + "1",
                                                     open, closed,      kSaveDone};
        QTest::newRow("wrong-id always") << "wrong-id,always" << [&] {
            QStringList l;
            for (int i = 1; i <= 10; ++i) {
                l << open << kBadId + "118" << closed;
                if (i < 10)
                    l << kRetry + QString::number(i);
            }
            return l;
        }();
    }
    void serviceMode()
    {
        QFETCH(QString, faults);
        QFETCH(QStringList, expect);
        QString why;
        QVERIFY2(startBoard(why), qPrintable(why));
        thread->setMode(2);
        if (!faults.isEmpty())
            QVERIFY(sim->fault(faults + ",cmd=75"));
        thread->postSave(reinterpret_cast<const quint8 *>(writeCfg.constData()), 20);
        QVERIFY(settle([&] { return !rec->events.isEmpty(); }));

        QStringList lines;
        QStringList txd;
        QByteArray rxd;
        for (const QString &l : rec->lines) {
            if (l.startsWith(QLatin1String("Txd=>")))
                txd << l;
            else if (l.startsWith(QLatin1String("Rxd=>")))
                rxd += QByteArray::fromHex(l.mid(5).remove(QLatin1String("0x")).toLatin1());
            else
                lines << QString(l).replace(sim->portName(), QLatin1String("N"));
        }
        QCOMPARE(lines, expect);
        // One Txd line per frame sent, each the frame in upper-case hex.
        const QByteArray frame = SimHarness::requestFrame(0x75, writeCfg);
        QString dump = QStringLiteral("Txd=>");
        for (char c : frame)
            dump += QStringLiteral("0x%1; ")
                        .arg(quint8(c), 2, 16, QLatin1Char('0'))
                        .toUpper()
                        .replace("0X", "0x");
        QCOMPARE(txd, QStringList(QList<QString>(sim->received().size(), dump)));
        // The Rxd lines hold every byte that came back, in order (a hung-up line
        // loses nothing that was already there).
        QByteArray back;
        for (const SimHarness::Entry &e : sim->log())
            if (e.dir == QLatin1String("tx"))
                back += e.bytes;
        QCOMPARE(rxd.toHex(' '), back.toHex(' '));
    }

    void initTestCase()
    {
        QVERIFY2(!qEnvironmentVariableIsEmpty("Q275_SIM"), "Q275_SIM names the simulator");
        writeCfg = validVariant(SimHarness::defaultConfig(), 0x5A);
        testCfg = validVariant(SimHarness::defaultConfig(), 0x33);
        codecPairs = QByteArray::fromHex("1678");
        QVERIFY(writeCfg != SimHarness::defaultConfig());
    }
    void cleanup()
    {
        rec.reset();
        thread.reset();
        sim.reset();
    }

    void read_data() { matrixData(OpRead); }
    void read() { runMatrix(OpRead); }
    void readIdent_data() { matrixData(OpReadIdent); }
    void readIdent() { runMatrix(OpReadIdent); }
    void write_data() { matrixData(OpWrite); }
    void write() { runMatrix(OpWrite); }
    void test_data() { matrixData(OpTest); }
    void test() { runMatrix(OpTest); }
    void codec_data() { matrixData(OpCodec); }
    void codec() { runMatrix(OpCodec); }
    void tracePoll_data() { matrixData(OpTracePoll); }
    void tracePoll() { runMatrix(OpTracePoll); }
};

QTEST_GUILESS_MAIN(TstFaultMatrix)
#include "tst_faultmatrix.moc"
