// The terminal's link thread over the pseudo-terminal against the board
// simulator: every operation, every fault, and the checksums of both sides.

#include "simharness.h"
#include "tthread.h"

#include <QElapsedTimer>
#include <QMutex>
#include <QtTest>

#include <memory>

namespace
{

QByteArray hex(const char *h)
{
    return QByteArray::fromHex(h);
}

QByteArray withSum(QByteArray cfg)
{
    quint8 s = 0x5A;
    for (int i = 0; i < 19; ++i)
        s = quint8(s - quint8(cfg[i]));
    cfg[19] = char(s);
    return cfg;
}

const QByteArray simIdent = QByteArray::fromHex("0103008000033A001F000D51333032383934");
const QByteArray simInfo = QByteArray::fromHex("1301DB07030F513237352D53494D000000000000A55A");

const QString readDone = QStringLiteral("Процесс чтения конфигурации выполнен");

// Collects what the link thread emits, in the order the GUI thread receives it.
class Recorder : public QObject
{
public:
    explicit Recorder(TThread *t)
    {
        connect(t, &TThread::readErr, this, [this] { add("readErr"); });
        connect(t, &TThread::readCfg, this, [this](TQ275 *c) {
            cfgs.append(QByteArray(reinterpret_cast<const char *>(c->bytes()), TQ275::Size));
            add("readCfg");
        });
        connect(t, &TThread::recvMax, this, [this](qint32 n) { recvMax.append(n); });
        connect(t, &TThread::recvCnt, this, [this](qint32 n) { recvCnt.append(n); });
        connect(t, &TThread::testStp, this, [this] { add("testStp"); });
        connect(t, &TThread::testErr, this, [this] { add("testErr"); });
        connect(t, &TThread::saveStp, this, [this] { add("saveStp"); });
        connect(t, &TThread::saveErr, this, [this] { add("saveErr"); });
        connect(t, &TThread::sendMax, this, [this](quint32 n) { sendMax.append(int(n)); });
        connect(t, &TThread::sendCnt, this, [this](quint32 n) { sendCnt.append(int(n)); });
        connect(t, &TThread::traceRdy, this, [this](quint8 *r) {
            traces.append(QByteArray(reinterpret_cast<const char *>(r), r[0] + 1));
            add("traceRdy");
        });
        connect(t, &TThread::traceErr, this, [this] { add("traceErr"); });
        connect(t, &TThread::mes, this, [this](const QString &s) {
            all.append(s);
            // The port lines and dumps of the service modes are looked at on their own.
            if (!s.startsWith(QLatin1String("Txd=>")) && !s.startsWith(QLatin1String("Rxd=>")) &&
                !s.startsWith(QStringLiteral("Открыт порт ")) &&
                !s.startsWith(QStringLiteral("Закрыт порт ")) &&
                !s.startsWith(QStringLiteral("Ошибка порта ")))
                lines.append(s);
            events.append(QStringLiteral("mes ") + s);
        });
    }
    void clear()
    {
        events.clear();
        lines.clear();
        all.clear();
        cfgs.clear();
        traces.clear();
        recvMax.clear();
        recvCnt.clear();
        sendMax.clear();
        sendCnt.clear();
    }
    bool has(const QString &e) const { return events.contains(e); }

    QStringList events; // signals other than the progress counts, and log lines
    QStringList lines;  // log lines without port lines and dumps
    QStringList all;    // every log line
    QList<QByteArray> cfgs, traces;
    QList<int> recvMax, recvCnt, sendMax, sendCnt;

private:
    void add(const char *e) { events.append(QLatin1String(e)); }
};

} // namespace

class TstSimLink : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<SimHarness> sim;
    std::unique_ptr<TThread> thread;
    std::unique_ptr<Recorder> rec;
    QMutex pauseLock;
    QList<int> pauses;

    // A fresh simulator and link thread. The link's pauses are recorded, not
    // slept (the 15 s trace pause becomes 20 ms so that polling goes on gently).
    bool setUp(const QStringList &args = {}, bool paced = false, int mode = 1)
    {
        thread.reset();
        rec.reset();
        sim.reset(new SimHarness);
        if (!sim->start(args, paced)) {
            qWarning("%s", qPrintable(sim->error()));
            return false;
        }
        pauses.clear();
        thread.reset(new TThread);
        thread->setSleepFunction([this](int ms) {
            {
                QMutexLocker l(&pauseLock);
                pauses.append(ms);
            }
            if (ms >= 15000)
                QThread::msleep(20);
        });
        thread->setPort(sim->portName());
        thread->setMode(mode);
        rec.reset(new Recorder(thread.get()));
        return true;
    }
    bool waitEvent(const QString &e, int timeoutMs = 15000)
    {
        return SimHarness::waitFor([&] { return rec->has(e); }, timeoutMs);
    }
    // Waits until the worker has run everything posted so far.
    bool idle(int timeoutMs = 20000)
    {
        return SimHarness::waitFor([&] { return thread->isFinished(); }, timeoutMs);
    }
    QList<int> takePauses()
    {
        QMutexLocker l(&pauseLock);
        QList<int> p = pauses;
        pauses.clear();
        return p;
    }
    // A read that must succeed and give the board's record.
    void readWorks()
    {
        rec->clear();
        thread->postRead();
        QVERIFY(waitEvent("readCfg"));
        QVERIFY(idle());
        QCOMPARE(rec->cfgs.size(), 1);
        QCOMPARE(rec->cfgs.first(), sim->record("config"));
        QCOMPARE(rec->lines, QStringList{readDone});
    }

private slots:
    void initTestCase();
    void cleanup();
    void readGivesTheBoardsRecords();
    void readInServiceModeDumpsTheFrames();
    void testAndSave();
    void boardDataWrite();
    void codecAndChannelControl();
    void traceOnRecordsOff();
    void boardWithoutIdentity();
    void answerChecksumsCatchEveryByte();
    void requestChecksumsCatchEveryByte();
    void pacedReadTakesTheLineTime();
};

void TstSimLink::initTestCase()
{
    QVERIFY2(!qEnvironmentVariableIsEmpty("Q275_SIM"), "Q275_SIM must name the simulator");
}

void TstSimLink::cleanup()
{
    if (thread) {
        thread->requestStop();
        thread->wait(20000);
    }
    thread.reset();
    rec.reset();
    sim.reset();
}

void TstSimLink::readGivesTheBoardsRecords()
{
    QByteArray cfg = SimHarness::defaultConfig();
    cfg[1] = 0x06;
    cfg[17] = 0x01;
    cfg = withSum(cfg);
    QVERIFY(setUp({"--config", cfg.toHex()}));
    thread->postRead();
    QVERIFY(waitEvent("readCfg"));
    QVERIFY(idle());
    QCOMPARE(rec->cfgs, QList<QByteArray>{cfg});
    QCOMPARE(rec->recvMax, (QList<int>{23, 27, 25}));
    QCOMPARE(rec->sendMax, (QList<int>{9, 9, 9}));
    QCOMPARE(rec->sendCnt, (QList<int>{9, 9, 9}));
    // Each answer frame counts up from 0 to its length.
    QCOMPARE(rec->recvCnt.count(0), 3);
    QCOMPARE(rec->recvCnt.last(), 25);
    QVERIFY(rec->recvCnt.contains(23) && rec->recvCnt.contains(27));
    QCOMPARE(rec->events, (QStringList{"readCfg", "mes " + readDone}));
    quint8 ident[18], info[22];
    thread->getIdent(ident);
    thread->getInfo(info);
    QCOMPARE(QByteArray(reinterpret_cast<char *>(ident), 18), simIdent);
    QCOMPARE(QByteArray(reinterpret_cast<char *>(info), 22), simInfo);
    // Exactly the three request frames, each once.
    QCOMPARE(sim->received(),
             (QList<QByteArray>{hex("FF2F0005440279 41CC"), SimHarness::requestFrame(0x80),
                                SimHarness::requestFrame(0x76)}));
    QCOMPARE(sim->sent("ans"), (QList<QByteArray>{SimHarness::answerFrame(0x79, simIdent),
                                                  SimHarness::answerFrame(0x80, simInfo),
                                                  SimHarness::answerFrame(0x76, cfg)}));
    QCOMPARE(sim->sent("nak").size(), 0);
}

void TstSimLink::readInServiceModeDumpsTheFrames()
{
    QVERIFY(setUp({}, false, 2));
    thread->postRead();
    QVERIFY(waitEvent("readCfg"));
    QVERIFY(idle());
    // The dumps of the frames written are the frames the RIB received.
    QStringList txd;
    for (const QString &s : rec->all)
        if (s.startsWith("Txd=>"))
            txd << s;
    QStringList expected;
    for (const QByteArray &f : sim->received()) {
        QString line = "Txd=>";
        for (char c : f)
            line += QString::asprintf("0x%02X; ", quint8(c));
        expected << line;
    }
    QCOMPARE(txd, expected);
    // The received bytes in the dumps are the echoes, acknowledgements and answers sent.
    QByteArray rxd;
    for (const QString &s : rec->all)
        if (s.startsWith("Rxd=>"))
            for (const QString &b : s.mid(5).split("; ", Qt::SkipEmptyParts))
                rxd.append(char(b.mid(2).toUInt(nullptr, 16)));
    QByteArray sent;
    for (const SimHarness::Entry &e : sim->log())
        if (e.dir == "tx")
            sent += e.bytes;
    QCOMPARE(rxd.toHex(' '), sent.toHex(' '));
    // One opening for the three commands.
    QCOMPARE(rec->all.count("Открыт порт " + sim->portName()), 1);
    QCOMPARE(rec->all.last(), readDone);
    QCOMPARE(rec->all.at(rec->all.size() - 2), "Закрыт порт " + sim->portName());
}

void TstSimLink::testAndSave()
{
    QVERIFY(setUp());
    QByteArray test = SimHarness::defaultConfig();
    test[2] = 0x03;
    test = withSum(test);
    QByteArray save = test;
    save[10] = 0x20;
    save = withSum(save);
    thread->postTest(reinterpret_cast<const quint8 *>(test.constData()), 20);
    thread->postSave(reinterpret_cast<const quint8 *>(save.constData()), 20);
    QVERIFY(waitEvent("saveStp"));
    QVERIFY(idle());
    QCOMPARE(rec->events, (QStringList{"testStp", "mes Загрузка тестовой конфигурации выполнена",
                                       "saveStp", "mes Процесс загрузки конфигурации выполнен"}));
    QCOMPARE(rec->sendMax, (QList<int>{29, 29}));
    QCOMPARE(rec->sendCnt, (QList<int>{29, 29}));
    QCOMPARE(sim->received(), (QList<QByteArray>{SimHarness::requestFrame(0x74, test),
                                                 SimHarness::requestFrame(0x75, save)}));
    QCOMPARE(sim->record("test"), test);
    QCOMPARE(sim->record("config"), save);
    // Read back: the board now holds what was written.
    readWorks();
    QCOMPARE(rec->cfgs.first(), save);
}

void TstSimLink::boardDataWrite()
{
    QVERIFY(setUp());
    const QByteArray info = hex("2A00DC07050C") + simInfo.mid(6);
    thread->postInfo(reinterpret_cast<const quint8 *>(info.constData()), 22);
    QVERIFY(SimHarness::waitFor([&] { return !rec->lines.isEmpty(); }, 10000));
    QVERIFY(idle());
    QCOMPARE(rec->lines, QStringList{"Процесс загрузки информации выполнен"});
    QCOMPARE(rec->sendMax, QList<int>{31});
    QCOMPARE(sim->received(), QList<QByteArray>{SimHarness::requestFrame(0x81, info)});
    QCOMPARE(sim->record("info"), info);
    quint8 got[22];
    thread->getInfo(got);
    QCOMPARE(QByteArray(reinterpret_cast<char *>(got), 22), info);
}

void TstSimLink::codecAndChannelControl()
{
    QVERIFY(setUp());
    const quint8 one[] = {22, 120};
    quint8 eleven[22];
    for (int i = 0; i < 11; ++i) {
        eleven[2 * i] = quint8(0x30 + i);
        eleven[2 * i + 1] = quint8(0x80 + i);
    }
    const quint8 rx = 0x0A, mic = 0x05;
    thread->postCodec(one, 1);
    thread->postCodec(eleven, 11);
    thread->postRxCtl(&rx);
    thread->postMicCtl(&mic);
    QVERIFY(SimHarness::waitFor([&] { return rec->lines.size() == 4; }, 10000));
    QVERIFY(idle());
    QCOMPARE(rec->lines, (QStringList{"Передача команд кодека выполнена успешно",
                                      "Передача команд кодека выполнена успешно",
                                      "Передача команд управления выполнена успешно",
                                      "Передача команд управления выполнена успешно"}));
    QCOMPARE(rec->sendMax, (QList<int>{12, 32, 10, 10}));
    QCOMPARE(
        sim->received(),
        (QList<QByteArray>{
            SimHarness::requestFrame(0x82, hex("011678")),
            SimHarness::requestFrame(0x82, QByteArray(1, 11) +
                                               QByteArray(reinterpret_cast<char *>(eleven), 22)),
            SimHarness::requestFrame(0x83, hex("0A")), SimHarness::requestFrame(0x84, hex("05"))}));
    const QByteArray codec = sim->record("codec");
    QCOMPARE(quint8(codec[22]), quint8(120));
    for (int i = 0; i < 11; ++i)
        QCOMPARE(quint8(codec[0x30 + i]), quint8(0x80 + i));
    QCOMPARE(sim->record("rxctl"), hex("0A"));
    QCOMPARE(sim->record("micctl"), hex("05"));
    // A board that refuses: the failure lines of each command.
    QVERIFY(sim->fault("error=9,count=3"));
    rec->clear();
    thread->postCodec(one, 1);
    thread->postRxCtl(&rx);
    thread->postMicCtl(&mic);
    QVERIFY(SimHarness::waitFor([&] { return rec->lines.size() == 6; }, 10000));
    QVERIFY(idle());
    QCOMPARE(rec->lines, (QStringList{"Ошибка, код ответа опциональной платы: 0x9",
                                      "Ошибка в передаче команд кодека",
                                      "Ошибка, код ответа опциональной платы: 0x9",
                                      "Ошибка в передаче команд управления канала приемника",
                                      "Ошибка, код ответа опциональной платы: 0x9",
                                      "Ошибка в передаче команд управления канала микрофона"}));
    // And the status lines of a board that took the packet but refused it.
    QVERIFY(sim->fault("status=2,cmd=83"));
    rec->clear();
    thread->postRxCtl(&rx);
    QVERIFY(SimHarness::waitFor([&] { return !rec->lines.isEmpty(); }, 10000));
    QVERIFY(idle());
    QCOMPARE(rec->lines, QStringList{"Ошибка, выполнения команды адаптером Q-275"});
}

void TstSimLink::traceOnRecordsOff()
{
    QVERIFY(setUp({"--trace-rate", "0"}));
    QVERIFY(sim->control("trace 01 0A FF"));
    QVERIFY(sim->control("trace 07 01 02"));
    // Switching on makes the thread poll by itself.
    thread->postTrace(0x03);
    QVERIFY(waitEvent("traceRdy"));
    QCOMPARE(rec->traces, QList<QByteArray>{hex("03010AFF")});
    QCOMPARE(sim->record("trace"), hex("03"));
    // The window asks for the next record after each one.
    thread->postTracePoll();
    QVERIFY(SimHarness::waitFor([&] { return rec->traces.size() == 2; }, 5000));
    QCOMPARE(rec->traces.last(), hex("03070102"));
    // Nothing pending: empty polls, each followed by the long pause, no signal.
    thread->postTracePoll();
    QVERIFY(SimHarness::waitFor([&] { return sim->commands().count(0x78) >= 5; }, 5000));
    QVERIFY(takePauses().contains(15000));
    // A record that turns up is delivered by the running chain.
    QVERIFY(sim->control("trace 02 55"));
    QVERIFY(SimHarness::waitFor([&] { return rec->traces.size() == 3; }, 5000));
    QCOMPARE(rec->traces.last(), hex("020255"));
    // Off: the board stops and the thread stops polling.
    thread->postTrace(0);
    QVERIFY(idle());
    QCOMPARE(sim->record("trace"), hex("00"));
    const int frames = sim->received().size();
    QTest::qWait(150);
    QCOMPARE(sim->received().size(), frames);
    const QList<quint8> cmds = sim->commands();
    QCOMPARE(cmds.first(), quint8(0x77));
    QCOMPARE(cmds.last(), quint8(0x77));
    QCOMPARE(sim->received().first(), SimHarness::requestFrame(0x77, hex("03")));
    QCOMPARE(sim->received().last(), SimHarness::requestFrame(0x77, hex("00")));
    QVERIFY(cmds.mid(1, cmds.size() - 2).count(0x78) == cmds.size() - 2);
    QVERIFY(!rec->has("traceErr"));
    QCOMPARE(rec->lines, QStringList());
}

void TstSimLink::boardWithoutIdentity()
{
    QVERIFY(setUp({"--no-identity"}));
    thread->postRead();
    QVERIFY(waitEvent("readCfg"));
    QVERIFY(idle());
    QCOMPARE(rec->lines, (QStringList{"Ошибка, код ответа опциональной платы: 0x1",
                                      "Адаптер Q-275 версия 0.0", readDone}));
    QCOMPARE(sim->commands(), (QList<quint8>{0x79, 0x76}));
    quint8 ident[18];
    thread->getIdent(ident);
    QCOMPARE(ident[0], quint8(0));
    QCOMPARE(ident[1], quint8(0));
}

// The terminal's checks of the answer: one inverted byte anywhere in the answer
// frame body is caught by the frame checksum; with the frame checksum put right,
// the packet checks catch it.
void TstSimLink::answerChecksumsCatchEveryByte()
{
    QVERIFY(setUp());
    const int frameLen = SimHarness::answerFrame(0x79, simIdent).size(); // 27
    for (int i = 4; i < frameLen; ++i) {
        QVERIFY(sim->fault(QString("corrupt=%1,cmd=79").arg(i)));
        rec->clear();
        thread->postRead();
        QVERIFY(waitEvent("readCfg"));
        QVERIFY(idle());
        QCOMPARE(rec->lines.value(0), QString("Ошибка приема данных от радиостанции: 11"));
        QCOMPARE(rec->lines.size(), 3);
    }
    const int packetLen = frameLen - 5;
    for (int i = 0; i < packetLen; ++i) {
        QVERIFY(sim->fault(QString("corrupt-packet=%1,cmd=79").arg(i)));
        rec->clear();
        thread->postRead();
        QVERIFY(waitEvent("readCfg"));
        QVERIFY(idle());
        const int code = i == 0 ? 12 : i == 1 ? 10 : 11;
        QCOMPARE(rec->lines.value(0),
                 QString("Ошибка приема данных от опциональной платы: %1").arg(code));
        QCOMPARE(rec->lines.size(), 3);
        // The identity kept is the board's own, never a damaged one.
        quint8 ident[18];
        thread->getIdent(ident);
        QCOMPARE(QByteArray(reinterpret_cast<char *>(ident), 18), simIdent);
    }
    // Every frame the terminal built passed the RIB's frame checksum.
    for (const SimHarness::Entry &e : sim->log())
        QVERIFY(!(e.dir == "rx" && e.kind != "req"));
}

// The board's check of the request: each byte of the terminal's packet that the
// radio damages on its way is caught by the packet checksum the terminal computed.
void TstSimLink::requestChecksumsCatchEveryByte()
{
    QVERIFY(setUp());
    QByteArray cfg = SimHarness::defaultConfig();
    cfg[8] = 0x05;
    cfg = withSum(cfg);
    const int packetLen = 20 + 4;
    for (int i = 2; i < packetLen; ++i) {
        QVERIFY(sim->fault(QString("garble=%1,cmd=75").arg(i)));
        rec->clear();
        thread->postSave(reinterpret_cast<const quint8 *>(cfg.constData()), 20);
        QVERIFY(waitEvent("saveErr"));
        QVERIFY(idle());
        if (i == 2) // the command byte itself: the board cannot tell it is a setting
            QCOMPARE(rec->lines, QStringList{"Ошибка, код ответа опциональной платы: 0x2"});
        else
            QCOMPARE(rec->lines,
                     QStringList{"Ошибка, контрольной суммы в пакете принятом адаптером Q-275"});
        QCOMPARE(sim->record("config"), SimHarness::defaultConfig());
    }
    rec->clear();
    thread->postSave(reinterpret_cast<const quint8 *>(cfg.constData()), 20);
    QVERIFY(waitEvent("saveStp"));
    QCOMPARE(sim->record("config"), cfg);
}

void TstSimLink::pacedReadTakesTheLineTime()
{
    // The bytes the RIB sends back for a read: three 9-byte echoes, three
    // acknowledgements and the answer frames of 27, 31 and 29 bytes; 117 bytes
    // of ten bits at 9600 baud take 121.9 ms.
    QVERIFY(setUp({}, true));
    QElapsedTimer t;
    t.start();
    thread->postRead();
    QVERIFY(waitEvent("readCfg", 5000));
    const qint64 took = t.elapsed();
    QVERIFY(idle());
    QVERIFY2(took >= 118, qPrintable(QString::number(took)));
    QVERIFY2(took < 1500, qPrintable(QString::number(took)));
    QByteArray sent;
    double first = -1, last = 0;
    for (const SimHarness::Entry &e : sim->log())
        if (e.dir == "tx") {
            sent += e.bytes;
            if (first < 0)
                first = e.ms;
            last = e.ms;
        }
    QCOMPARE(sent.size(), 117);
    // From the end of the first echo to the end of the last answer: 108 bytes.
    QVERIFY2(last - first >= 108 * 10000.0 / 9600 - 2, qPrintable(QString::number(last - first)));
    QCOMPARE(rec->cfgs.first(), SimHarness::defaultConfig());
}

QTEST_GUILESS_MAIN(TstSimLink)
#include "tst_simlink.moc"
