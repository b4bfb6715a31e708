// Every fault of the board simulator against the work the terminal does on the line, through the
// link thread and the serial port over the simulator's pseudo-terminal. The pauses of the link
// are recorded, not slept; the read time-outs are real, so the faults that wait for them act
// once.
#include <QtTest>

#include "linkrecorder.h"
#include "simharness.h"
#include "testkit.h"
#include "tmemoryport.h"
#include "tthread.h"

namespace
{
enum Op { Read, Ident, Write, Test, Codec, Poll };
const char *const kName[] = {"read", "ident", "write", "test", "codec", "poll"};
const quint8 kCmd[] = {0x76, 0x79, 0x75, 0x74, 0x82, 0x78};

const QString kRib = "Ошибка соединения с MOTOROLA RIB";
const QString kEcho = "Ошибка передачи данных через MOTOROLA RIB";
const QString kNak = "Запрос повторной передачи";
const QString kAck = "Превышено время ожидания ACK";
const QString kRadio = "Ошибка приема данных от радиостанции: ";
const QString kBoard = "Ошибка приема данных от опциональной платы: ";
const QString kCode = "Ошибка, код ответа опциональной платы: 0x";
const QString kId = "Ошибка идентификатора пакета опциональной платы: ";
const QString kSt1 = "Ошибка, контрольной суммы в пакете принятом адаптером Q-275";
const QString kSt2 = "Ошибка, выполнения команды адаптером Q-275";
const QString kStX = "Команда на поддерживается версией адаптера Q-275";
const QString kNoIdent = "Адаптер Q-275 версия 0.0";
const QString kOpen = "Открыт порт N", kClosed = "Закрыт порт N";

// What each operation gives when its command got through, and when the line failed.
const QStringList kReadOk = {"readCfg " + newRecord().toHex(),
                             "Процесс чтения конфигурации выполнен"};
const QStringList kOk[] = {kReadOk,
                           kReadOk,
                           {"saveStp", "Процесс загрузки конфигурации выполнен"},
                           {"testStp", "Загрузка тестовой конфигурации выполнена"},
                           {"Передача команд кодека выполнена успешно"},
                           {}};
const QStringList kFailed[] = {
    {"readErr"}, {"readErr"}, {"saveErr"}, {"testErr"}, {"Ошибка в передаче команд кодека"},
    {"traceErr"}};

const QByteArray kWrite = otherRecord(0x21), kTest = otherRecord(0x33), kCodec = hex("011678");

// n attempts that fail alike, each but the tenth followed by the retry line.
QStringList tries(const QStringList &each, int n)
{
    QStringList l;
    for (int i = 1; i <= n; ++i) {
        l << each;
        if (i < 10)
            l << "Повтор передачи - попытка=" + QString::number(i);
    }
    return l;
}

void post(TThread &t, Op op)
{
    if (op == Read || op == Ident)
        t.postRead();
    else if (op == Write)
        t.postSave(u8(kWrite), 20);
    else if (op == Test)
        t.postTest(u8(kTest), 20);
    else if (op == Codec)
        t.postCodec(u8(kCodec) + 1, 1);
    else
        t.postTracePoll();
}

// The identity and board data the terminal holds.
QByteArray known(TThread &t)
{
    QByteArray r(BoardIdentity::IdentSize + BoardIdentity::InfoSize, 0);
    t.getIdent(reinterpret_cast<quint8 *>(r.data()));
    t.getInfo(reinterpret_cast<quint8 *>(r.data()) + BoardIdentity::IdentSize);
    return r;
}

// What the recorder got, the hex dumps left out and the port name as N; the pauses apart.
QStringList seen(const LinkRecorder &rec, const QString &port, QList<int> &pauses)
{
    QStringList l;
    for (QString e : rec.outcome()) {
        if (e.startsWith("sleep "))
            pauses << e.mid(6).toInt();
        else if (!e.startsWith("mes Txd=>") && !e.startsWith("mes Rxd=>"))
            l << (e.startsWith("mes ") ? e.mid(4) : e).replace(port, "N");
    }
    return l;
}
} // namespace

class TstFaults : public QObject
{
    Q_OBJECT

    // cmds: the commands of the frames on the line, in hexadecimal.
    void row(Op op, const char *fault, const QStringList &events, const char *cmds,
             const QList<int> &pauses = {}, bool done = false, int mode = 1)
    {
        QTest::addRow("%s%s %s", mode > 1 ? "service " : "", kName[op], fault)
            << int(op) << QString(fault) << events << hex(cmds) << pauses << done << mode;
    }
    // A setting the board refused: the error signal first, then the status line.
    QStringList refused(Op op, const QString &s)
    {
        return (op == Codec ? QStringList() : QStringList(kFailed[op])) << s;
    }

private slots:
    void matrix_data()
    {
        QTest::addColumn<int>("op");
        QTest::addColumn<QString>("fault");      // acts on the operation's command
        QTest::addColumn<QStringList>("events"); // log lines and signals, in order
        QTest::addColumn<QByteArray>("cmds");    // the commands of the frames on the line
        QTest::addColumn<QList<int>>("pauses");
        QTest::addColumn<bool>("done"); // the board carried the command out
        QTest::addColumn<int>("mode");
        const QList<int> one = {1000}, nine(9, 1000), quick(9, 250);
        const char *read10 = "798076767676767676767676", *ident10 = "79797979797979797979";
        // A read: the fault on the configuration, after identity and board data.
        row(Read, "no-ack", tries({kAck}, 1) + kReadOk, "79807676", one);
        row(Read, "bad-frame-sum,always", tries({kRadio + "11"}, 10) + kFailed[Read], read10, nine);
        row(Read, "garble", {kCode + "2", "readErr"}, "798076");
        row(Read, "short", tries({kBoard + "10"}, 1) + kReadOk, "79807676", one);
        row(Read, "corrupt-packet", tries({kBoard + "11"}, 1) + kReadOk, "79807676", one);
        row(Read, "long-len=FF", kReadOk, "798076");
        // The identity: a board without one is read on, without its board data.
        row(Ident, "error", QStringList{kCode + "5", kNoIdent} + kReadOk, "7976");
        row(Ident, "error=1F", QStringList{kCode + "1f", kNoIdent} + kReadOk, "7976");
        row(Ident, "wrong-id,always", tries({kId + "122"}, 10) + kFailed[Ident], ident10, nine);
        row(Ident, "bad-packet-sum", tries({kBoard + "11"}, 1) + kReadOk, "79798076", one);
        row(Ident, "stray", kReadOk, "798076");
        // A write; the board may have carried it out although its answer was lost.
        row(Write, "nak", tries({kNak}, 1) + kOk[Write], "7575", {250}, true);
        row(Write, "nak,always", tries({kNak}, 10) + kFailed[Write], "75757575757575757575", quick);
        row(Write, "status=1", refused(Write, kSt1), "75");
        row(Write, "status=2", refused(Write, kSt2), "75");
        row(Write, "garble", refused(Write, kSt1), "75");
        row(Write, "no-answer", tries({}, 1) + kOk[Write], "7575", one, true);
        row(Write, "corrupt", tries({kRadio + "11"}, 1) + kOk[Write], "7575", one, true);
        row(Write, "bad-echo", tries({kEcho}, 1) + kOk[Write], "7575", one, true);
        // A test.
        row(Test, "status=33", refused(Test, kStX), "74");
        row(Test, "truncated", tries({kRadio + "10"}, 1) + kOk[Test], "7474", one, true);
        row(Test, "wrong-id=84", tries({kId + "132"}, 1) + kOk[Test], "7474", one, true);
        row(Test, "bad-echo=0,always", tries({kEcho}, 10) + kFailed[Test], "74747474747474747474",
            nine);
        row(Test, "long-len", kOk[Test], "74", {}, true);
        // A codec command.
        row(Codec, "error", QStringList{kCode + "5"} + kFailed[Codec], "82");
        row(Codec, "status=2", refused(Codec, kSt2), "82");
        row(Codec, "status=FF", refused(Codec, kStX), "82");
        row(Codec, "no-ack", tries({kAck}, 1) + kOk[Codec], "8282", one, true);
        row(Codec, "nak,always", tries({kNak}, 10) + kFailed[Codec], "82828282828282828282", quick);
        // A trace poll, with the records 02b1b2b3b4, 03c1c2 and 00d1 waiting on the board. Each
        // poll the board answered took one, whether its answer arrived or not; an empty one is
        // followed by the long pause and the next poll.
        const QString second = "traceRdy 0303c1c2";
        row(Poll, "short", {"traceRdy 0202b1"}, "78");
        row(Poll, "short=0", {second}, "7878", {15000});
        row(Poll, "short-echo", {kRib, "traceErr"}, "78");
        row(Poll, "no-answer", tries({}, 1) << second, "7878", one);
        row(Poll, "bad-frame-sum", tries({kRadio + "11"}, 1) << second, "7878", one);
        row(Poll, "wrong-id,always", tries({kId + "121"}, 10) + kFailed[Poll],
            "78787878787878787878", nine);
        row(Poll, "stray", {"traceRdy 0502b1b2b3b4"}, "78");
        // In a service mode the port's own lines: a hung-up line is a failed read (-1); an
        // incomplete echo closes with the transport's code, which is not a port error.
        row(Write, "", QStringList{kOpen, kClosed} + kOk[Write], "75", {}, true, 2);
        row(Ident, "close", {kOpen, "Ошибка порта N: -1", kClosed, "readErr"}, "79", {}, false, 2);
        row(Read, "no-echo", {kOpen, kRib, kClosed, "readErr"}, "798076", {}, false, 2);
        row(Write, "nak",
            QStringList{kOpen, kNak, kClosed, "Повтор передачи - попытка=1", kOpen, kClosed} +
                kOk[Write],
            "7575", {250}, true, 2);
    }
    void matrix()
    {
        QFETCH(int, op);
        QFETCH(QString, fault);
        QFETCH(QStringList, events);
        QFETCH(QByteArray, cmds);
        QFETCH(QList<int>, pauses);
        QFETCH(bool, done);
        QFETCH(int, mode);
        SimHarness sim;
        QVERIFY2(sim.start({"--trace-rate", "0"}), qPrintable(sim.error()));
        TThread t;
        LinkRecorder rec(&t, Qt::DirectConnection);
        t.setSleepFunction(rec.pauses());
        t.setPort(sim.portName());
        // The terminal knows the board from an earlier read; a poll needs the trace switched on.
        for (const char *r : {"01a1", "02b1b2b3b4", "03c1c2", "00d1"})
            QVERIFY(sim.control(QStringLiteral("trace ") + r));
        t.postRead();
        if (op == Poll)
            t.postTrace(1);
        QVERIFY(t.wait(10000));
        QCOMPARE(rec.outcome().last(), op == Poll ? "traceRdy 0201a1" : "mes " + kReadOk.last());
        QByteArray ident = known(t);
        QCOMPARE(ident, sim.record("ident") + sim.record("info"));
        QMap<QString, QByteArray> board;
        for (const char *k :
             {"config", "ident", "info", "test", "rxctl", "micctl", "trace", "codec"})
            board[k] = sim.record(k);

        rec.clear();
        sim.markLog();
        t.setMode(mode);
        QVERIFY(fault.isEmpty() || sim.fault(fault + ",cmd=" + QString::number(kCmd[op], 16)));
        post(t, Op(op));
        QVERIFY(t.wait(30000));
        QList<int> slept;
        QCOMPARE(seen(rec, sim.portName(), slept), events);
        QCOMPARE(slept, pauses);
        QByteArrayList frames;
        for (const char c : cmds)
            frames << TMemoryPort::requestFrame(c, c == 0x75         ? kWrite
                                                   : c == 0x74       ? kTest
                                                   : c == char(0x82) ? kCodec
                                                                     : QByteArray());
        QCOMPARE(sim.received(), frames);
        // The board's records changed only by a command it carried out; the terminal's copy of
        // the identity and board data only by a board that has none.
        if (done && op == Codec)
            board["codec"][0x16] = 0x78;
        else if (done)
            board[op == Write ? "config" : "test"] = op == Write ? kWrite : kTest;
        for (auto it = board.cbegin(); it != board.cend(); ++it)
            QVERIFY2(sim.record(it.key()) == it.value(), qPrintable(it.key()));
        if (events.contains(kNoIdent))
            ident[0] = ident[1] = 0;
        QCOMPARE(known(t).toHex(), ident.toHex());

        // The same work right after, the line healthy again.
        QVERIFY(sim.control("clear") && sim.control("trace 07e1"));
        t.setMode(1);
        rec.clear();
        if (events.contains("traceErr"))
            t.postTrace(1); // a failed poll ends the chain: tracing starts anew
        else
            post(t, Op(op));
        QVERIFY(t.wait(10000));
        QList<int> none;
        const QStringList again = seen(rec, sim.portName(), none);
        QVERIFY(none.isEmpty());
        if (op == Poll)
            QVERIFY2(again.size() == 1 && again[0].startsWith("traceRdy "),
                     qPrintable(again.join('|')));
        else
            QCOMPARE(again, kOk[op]);
    }
};

QTEST_GUILESS_MAIN(TstFaults)
#include "tst_faults.moc"
