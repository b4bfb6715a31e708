// The board simulator at the byte level: raw frames over its pseudo-terminal,
// without the terminal's link code.

#include "rawport.h"
#include "simharness.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QtTest>

namespace
{

QByteArray hex(const char *h)
{
    return QByteArray::fromHex(h);
}

const quint8 settingCmds[] = {0x74, 0x75, 0x77, 0x81, 0x82, 0x83, 0x84};

} // namespace

class TstSimWire : public QObject
{
    Q_OBJECT

private:
    // Sends one request and collects everything that comes back.
    QByteArray exchange(RawPort &p, const QByteArray &req, int expect)
    {
        if (!p.write(req))
            return QByteArray("write failed");
        QByteArray r = p.read(expect, 2000);
        return r + p.readIdle(60);
    }
    QByteArray full(quint8 cmd, const QByteArray &data, const QByteArray &answer)
    {
        return SimHarness::requestFrame(cmd, data) + char(0x50) +
               SimHarness::answerFrame(cmd, answer);
    }

private slots:
    void initTestCase();
    void frameHelpersMatchTheWire();
    void helpAndBadOptions();
    void startsOnPseudoTerminal();
    void everyCommand_data();
    void everyCommand();
    void settingCommandsChangeTheBoard();
    void stateSurvivesRestart();
    void refusedRequests_data();
    void refusedRequests();
    void faultCountAndCommand();
    void faultFromCommandLine();
    void traceStreams();
    void junkAndUnfinishedFrames();
    void controlRefusesBadLines();
    void pacingAt9600();
};

void TstSimWire::initTestCase()
{
    QVERIFY2(!qEnvironmentVariableIsEmpty("Q275_SIM"), "Q275_SIM must name the simulator");
}

void TstSimWire::frameHelpersMatchTheWire()
{
    // Frames as the RIB link defines them, to pin the helpers the other tests use.
    QCOMPARE(SimHarness::requestFrame(0x79), hex("FF2F0005440279 41CC"));
    QCOMPARE(SimHarness::requestFrame(0x77, hex("01")), hex("FF2F000644037701 41CB"));
    QCOMPARE(SimHarness::answerFrame(0x78), hex("FF8F00054302 78436C"));
    QCOMPARE(SimHarness::answerFrame(0x73, hex("05")), hex("FF8F0006430373 05426B"));
    const QByteArray cfg = SimHarness::defaultConfig();
    quint8 s = 0;
    for (char c : cfg)
        s = quint8(s + quint8(c));
    QCOMPARE(s, quint8(0x5A));
    QCOMPARE(quint8(cfg[19]), quint8(0xE3));
}

void TstSimWire::helpAndBadOptions()
{
    const QString bin = qEnvironmentVariable("Q275_SIM");
    QProcess p;
    p.start(bin, {"--help"});
    QVERIFY(p.waitForFinished(5000));
    QCOMPARE(p.exitCode(), 0);
    const QString help = QString::fromUtf8(p.readAllStandardOutput());
    for (const char *word : {"--link",
                             "--state",
                             "--log",
                             "--control",
                             "--fault",
                             "--no-pacing",
                             "--latency",
                             "--no-identity",
                             "--trace-rate",
                             "no-echo",
                             "bad-echo",
                             "no-ack",
                             "nak",
                             "stray",
                             "close",
                             "no-answer",
                             "bad-frame-sum",
                             "bad-packet-sum",
                             "wrong-id",
                             "error",
                             "status",
                             "short",
                             "truncated",
                             "long-len",
                             "corrupt-packet",
                             "garble",
                             "Q275.ini"})
        QVERIFY2(help.contains(QLatin1String(word)), word);

    const QList<QStringList> bad = {{"--fault", "bogus"},
                                    {"--fault", "status"},
                                    {"--fault", "no-ack,count=0"},
                                    {"--fault", "long-len=7F"},
                                    {"--config", "0011"},
                                    {"--latency", "x"},
                                    {"--wrong"}};
    for (const QStringList &a : bad) {
        p.start(bin, a);
        QVERIFY(p.waitForFinished(5000));
        QCOMPARE(p.exitCode(), 2);
        QVERIFY(p.readAllStandardOutput().isEmpty()); // no device was made
        QVERIFY(p.readAllStandardError().contains("q275-sim:"));
    }
}

void TstSimWire::startsOnPseudoTerminal()
{
    SimHarness sim;
    QVERIFY2(sim.start(), qPrintable(sim.error()));
    QVERIFY(sim.slavePath().startsWith("/dev/pts/"));
    QFileInfo link(sim.portName());
    QVERIFY(link.isSymLink());
    QCOMPARE(link.symLinkTarget(), sim.slavePath());
    QVERIFY(SimHarness::waitFor([&] { return !sim.log().isEmpty(); }, 2000));
    QCOMPARE(sim.log().first().text, "line open " + sim.slavePath());
    // The board starts with a new record.
    QCOMPARE(sim.record("config"), SimHarness::defaultConfig());
    QVERIFY(sim.record("test").isEmpty());
    sim.stop();
    QVERIFY(!QFileInfo::exists(sim.portName())); // the link goes with the simulator
    QVERIFY(!QFileInfo::exists(sim.controlPath()));
    QCOMPARE(sim.log().last().text, QString("line close"));
}

void TstSimWire::everyCommand_data()
{
    QTest::addColumn<int>("cmd");
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<QByteArray>("answer");
    const QByteArray cfg = SimHarness::defaultConfig();
    QTest::newRow("74 test") << 0x74 << cfg << QByteArray("0");
    QTest::newRow("75 save") << 0x75 << cfg << QByteArray("0");
    QTest::newRow("76 read") << 0x76 << QByteArray() << cfg;
    QTest::newRow("77 trace on") << 0x77 << hex("01") << QByteArray("0");
    QTest::newRow("77 trace off") << 0x77 << hex("00") << QByteArray("0");
    QTest::newRow("78 poll, nothing") << 0x78 << QByteArray() << QByteArray();
    QTest::newRow("79 identity") << 0x79 << QByteArray()
                                 << hex("0103008000033A001F000D51333032383934");
    QTest::newRow("80 board data")
        << 0x80 << QByteArray() << hex("1301DB07030F513237352D53494D000000000000A55A");
    QTest::newRow("81 board data write")
        << 0x81 << hex("2A00DC07050C000102030405060708090A0B0C0D0E0F") << QByteArray("0");
    QTest::newRow("82 codec one pair") << 0x82 << hex("011678") << QByteArray("0");
    QTest::newRow("82 codec eleven pairs")
        << 0x82 << hex("0B00010203040506070809101112131415161718192021") << QByteArray("0");
    QTest::newRow("83 receiver control") << 0x83 << hex("0A") << QByteArray("0");
    QTest::newRow("84 microphone control") << 0x84 << hex("05") << QByteArray("0");
}

void TstSimWire::everyCommand()
{
    QFETCH(int, cmd);
    QFETCH(QByteArray, data);
    QFETCH(QByteArray, answer);
    SimHarness sim;
    QVERIFY2(sim.start({"--trace-rate", "0"}), qPrintable(sim.error()));
    RawPort p;
    QVERIFY(p.open(sim.portName()));
    const QByteArray req = SimHarness::requestFrame(quint8(cmd), data);
    const QByteArray expected = full(quint8(cmd), data, answer);
    QCOMPARE(exchange(p, req, expected.size()).toHex(' '), expected.toHex(' '));
    // The frame log names each frame once, in order.
    QVERIFY(SimHarness::waitFor([&] { return sim.sent("ans").size() == 1; }, 2000));
    QCOMPARE(sim.received(), QList<QByteArray>{req});
    QCOMPARE(sim.sent("echo"), QList<QByteArray>{req});
    QCOMPARE(sim.sent("ack"), QList<QByteArray>{hex("50")});
    QCOMPARE(sim.sent("ans"), QList<QByteArray>{SimHarness::answerFrame(quint8(cmd), answer)});
    QStringList order;
    double last = 0;
    for (const SimHarness::Entry &e : sim.log()) {
        if (e.dir == "rx" || e.dir == "tx")
            order << e.dir + " " + e.kind;
        QVERIFY(e.ms >= last);
        last = e.ms;
    }
    QCOMPARE(order, (QStringList{"rx req", "tx echo", "tx ack", "tx ans"}));
}

void TstSimWire::settingCommandsChangeTheBoard()
{
    SimHarness sim;
    QVERIFY2(sim.start(), qPrintable(sim.error()));
    RawPort p;
    QVERIFY(p.open(sim.portName()));
    QByteArray cfg = SimHarness::defaultConfig();
    cfg[2] = 0x05;
    cfg[19] = char(quint8(cfg[19]) - 5);
    QByteArray test = cfg;
    test[3] = 0x70;
    test[19] = char(quint8(test[19]) + 3);
    const QByteArray info = hex("2A00DC07050C000102030405060708090A0B0C0D0E0F");
    struct Step {
        quint8 cmd;
        QByteArray data;
    } steps[] = {{0x74, test},
                 {0x75, cfg},
                 {0x81, info},
                 {0x82, hex("011678")},
                 {0x82, hex("02007F01FE")},
                 {0x83, hex("0A")},
                 {0x84, hex("05")},
                 {0x77, hex("0C")}};
    for (const Step &s : steps) {
        const QByteArray expected = full(s.cmd, s.data, "0");
        QCOMPARE(exchange(p, SimHarness::requestFrame(s.cmd, s.data), expected.size()).toHex(' '),
                 expected.toHex(' '));
    }
    QCOMPARE(sim.record("test"), test);
    QCOMPARE(sim.record("config"), cfg);
    QCOMPARE(sim.record("info"), info);
    QCOMPARE(sim.record("rxctl"), hex("0A"));
    QCOMPARE(sim.record("micctl"), hex("05"));
    QCOMPARE(sim.record("trace"), hex("0C"));
    const QByteArray codec = sim.record("codec");
    QCOMPARE(codec.size(), 256);
    QCOMPARE(quint8(codec[0x16]), quint8(0x78));
    QCOMPARE(quint8(codec[0x00]), quint8(0x7F));
    QCOMPARE(quint8(codec[0x01]), quint8(0xFE));
    QCOMPARE(codec.count(char(0)), 253);
    // What was written is what is read back.
    QByteArray expected = full(0x76, {}, cfg);
    QCOMPARE(exchange(p, SimHarness::requestFrame(0x76), expected.size()).toHex(' '),
             expected.toHex(' '));
    expected = full(0x80, {}, info);
    QCOMPARE(exchange(p, SimHarness::requestFrame(0x80), expected.size()).toHex(' '),
             expected.toHex(' '));
}

void TstSimWire::stateSurvivesRestart()
{
    SimHarness sim;
    QVERIFY2(sim.start(), qPrintable(sim.error()));
    QByteArray cfg = SimHarness::defaultConfig();
    cfg[17] = 0x01;
    cfg[19] = char(quint8(cfg[19]) - 1);
    {
        RawPort p;
        QVERIFY(p.open(sim.portName()));
        const QByteArray expected = full(0x75, cfg, "0");
        QCOMPARE(exchange(p, SimHarness::requestFrame(0x75, cfg), expected.size()), expected);
    }
    sim.stop();
    QVERIFY2(sim.start(), qPrintable(sim.error()));
    RawPort p;
    QVERIFY(p.open(sim.portName()));
    QByteArray expected = full(0x76, {}, cfg);
    QCOMPARE(exchange(p, SimHarness::requestFrame(0x76), expected.size()), expected);
    sim.stop();
    // A record given on the command line wins over the kept one.
    const QByteArray given = SimHarness::defaultConfig();
    QVERIFY2(sim.start({"--config", given.toHex()}), qPrintable(sim.error()));
    QVERIFY(p.open(sim.portName()));
    expected = full(0x76, {}, given);
    QCOMPARE(exchange(p, SimHarness::requestFrame(0x76), expected.size()), expected);
    sim.stop();
    // A damaged state file is refused rather than half read.
    QFile f(sim.statePath());
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write("config=0011\n");
    f.close();
    QVERIFY(!sim.start());
}

void TstSimWire::refusedRequests_data()
{
    QTest::addColumn<QByteArray>("request");
    QTest::addColumn<QByteArray>("answer");
    QByteArray badCfg = SimHarness::defaultConfig();
    badCfg[19] = char(quint8(badCfg[19]) + 1);
    const QByteArray cfg = SimHarness::defaultConfig();
    QTest::newRow("unknown command 72")
        << SimHarness::requestFrame(0x72) << SimHarness::answerFrame(0x73, hex("01"));
    QTest::newRow("unknown command 85")
        << SimHarness::requestFrame(0x85, hex("00")) << SimHarness::answerFrame(0x73, hex("01"));
    QTest::newRow("save with record checksum wrong")
        << SimHarness::requestFrame(0x75, badCfg) << SimHarness::answerFrame(0x75, "2");
    QTest::newRow("test with record checksum wrong")
        << SimHarness::requestFrame(0x74, badCfg) << SimHarness::answerFrame(0x74, "2");
    QTest::newRow("save with 19 bytes")
        << SimHarness::requestFrame(0x75, cfg.left(19)) << SimHarness::answerFrame(0x75, "2");
    QTest::newRow("board data with 21 bytes")
        << SimHarness::requestFrame(0x81, QByteArray(21, 1)) << SimHarness::answerFrame(0x81, "2");
    QTest::newRow("codec count 2 with one pair")
        << SimHarness::requestFrame(0x82, hex("021678")) << SimHarness::answerFrame(0x82, "2");
    QTest::newRow("trace without mask")
        << SimHarness::requestFrame(0x77) << SimHarness::answerFrame(0x77, "2");
    QTest::newRow("receiver control with two bytes")
        << SimHarness::requestFrame(0x83, hex("0101")) << SimHarness::answerFrame(0x83, "2");
    // Packet length byte that does not fit the frame.
    QByteArray f = SimHarness::requestFrame(0x79);
    f[5] = 0x03;
    f[7] = char(quint8(f[7]) - 1);
    QTest::newRow("packet length wrong") << f << SimHarness::answerFrame(0x73, hex("03"));
}

void TstSimWire::refusedRequests()
{
    QFETCH(QByteArray, request);
    QFETCH(QByteArray, answer);
    SimHarness sim;
    QVERIFY2(sim.start(), qPrintable(sim.error()));
    RawPort p;
    QVERIFY(p.open(sim.portName()));
    const QByteArray expected = request + char(0x50) + answer;
    QCOMPARE(exchange(p, request, expected.size()).toHex(' '), expected.toHex(' '));
    // Nothing refused reached the records.
    QCOMPARE(sim.record("config"), SimHarness::defaultConfig());
    QVERIFY(sim.record("test").isEmpty());
    QCOMPARE(sim.record("info"), hex("1301DB07030F513237352D53494D000000000000A55A"));
}

void TstSimWire::faultCountAndCommand()
{
    SimHarness sim;
    QVERIFY2(sim.start(), qPrintable(sim.error()));
    RawPort p;
    QVERIFY(p.open(sim.portName()));
    const QByteArray r76 = SimHarness::requestFrame(0x76);
    const QByteArray r79 = SimHarness::requestFrame(0x79);
    const QByteArray a76 = SimHarness::answerFrame(0x76, SimHarness::defaultConfig());
    const QByteArray a79 =
        SimHarness::answerFrame(0x79, hex("0103008000033A001F000D51333032383934"));
    // Two frames of any command.
    QVERIFY(sim.fault("nak,count=2"));
    QCOMPARE(exchange(p, r79, r79.size() + 1), r79 + hex("60"));
    QCOMPARE(exchange(p, r76, r76.size() + 1), r76 + hex("60"));
    QCOMPARE(exchange(p, r76, r76.size() + 1 + a76.size()), r76 + hex("50") + a76);
    // Only frames of command 76: a 79 passes untouched.
    QVERIFY(sim.fault("no-answer cmd=76 count=2"));
    QCOMPARE(exchange(p, r79, r79.size() + 1 + a79.size()), r79 + hex("50") + a79);
    QCOMPARE(exchange(p, r76, r76.size() + 1), r76 + hex("50"));
    QCOMPARE(exchange(p, r79, r79.size() + 1 + a79.size()), r79 + hex("50") + a79);
    QCOMPARE(exchange(p, r76, r76.size() + 1), r76 + hex("50"));
    QCOMPARE(exchange(p, r76, r76.size() + 1 + a76.size()), r76 + hex("50") + a76);
    // Always, until cleared.
    QVERIFY(sim.fault("error=11,always"));
    for (int i = 0; i < 3; ++i)
        QCOMPARE(exchange(p, r79, r79.size() + 11),
                 r79 + hex("50") + SimHarness::answerFrame(0x73, hex("11")));
    QVERIFY(sim.control("clear"));
    QCOMPARE(exchange(p, r79, r79.size() + 1 + a79.size()), r79 + hex("50") + a79);
}

void TstSimWire::faultFromCommandLine()
{
    SimHarness sim;
    QVERIFY2(sim.start({"--fault", "no-ack,count=2", "--fault", "error=07,cmd=80"}),
             qPrintable(sim.error()));
    RawPort p;
    QVERIFY(p.open(sim.portName()));
    const QByteArray r79 = SimHarness::requestFrame(0x79);
    const QByteArray r80 = SimHarness::requestFrame(0x80);
    QCOMPARE(exchange(p, r79, r79.size()), r79);
    QCOMPARE(exchange(p, r79, r79.size()), r79);
    const QByteArray e = SimHarness::answerFrame(0x73, hex("07"));
    QCOMPARE(exchange(p, r80, r80.size() + 1 + e.size()), r80 + hex("50") + e);
    const QByteArray a =
        SimHarness::answerFrame(0x80, hex("1301DB07030F513237352D53494D000000000000A55A"));
    QCOMPARE(exchange(p, r80, r80.size() + 1 + a.size()), r80 + hex("50") + a);
}

void TstSimWire::traceStreams()
{
    SimHarness sim;
    QVERIFY2(sim.start({"--trace-rate", "100"}), qPrintable(sim.error()));
    RawPort p;
    QVERIFY(p.open(sim.portName()));
    const QByteArray poll = SimHarness::requestFrame(0x78);
    auto pollOnce = [&] {
        QByteArray got = exchange(p, poll, poll.size() + 1 + 9);
        got += p.readIdle(30);
        if (!got.startsWith(poll + char(0x50)))
            return QByteArray("bad");
        const QByteArray ans = got.mid(poll.size() + 1);
        // Check the answer is a whole, right frame for 78, then return its data.
        if (ans.size() < 9 || SimHarness::answerFrame(0x78, ans.mid(7, ans.size() - 9)) != ans)
            return QByteArray("bad frame");
        return ans.mid(7, ans.size() - 9);
    };
    // Nothing before the trace is switched on.
    QCOMPARE(pollOnce(), QByteArray());
    // Streams 0 and 2 (mask 05): records come in turn for channels 0 and 2.
    QByteArray on = SimHarness::requestFrame(0x77, hex("05"));
    QCOMPARE(exchange(p, on, on.size() + 11), on + hex("50") + SimHarness::answerFrame(0x77, "0"));
    QTest::qWait(50);
    QCOMPARE(pollOnce().toHex(), QByteArray("0000"));
    QCOMPARE(pollOnce().toHex(), QByteArray("020120"));
    QCOMPARE(pollOnce().toHex(), QByteArray("00020001"));
    QCOMPARE(pollOnce().toHex(), QByteArray("0203202122"));
    // Off: the queue is emptied and the polls come back empty.
    QByteArray off = SimHarness::requestFrame(0x77, hex("00"));
    QCOMPARE(exchange(p, off, off.size() + 11),
             off + hex("50") + SimHarness::answerFrame(0x77, "0"));
    QCOMPARE(pollOnce(), QByteArray());
    // Records queued from outside come out as given, in order, up to 62 bytes.
    QVERIFY(sim.control("trace 07 01 02"));
    QVERIFY(sim.control("trace 03"));
    QVERIFY(sim.control("trace " + QByteArray(62, 0x5A).toHex()));
    QVERIFY(!sim.control("trace " + QByteArray(63, 0x5A).toHex()));
    QCOMPARE(pollOnce().toHex(), QByteArray("070102"));
    QCOMPARE(pollOnce().toHex(), QByteArray("03"));
    QCOMPARE(pollOnce(), QByteArray(62, 0x5A));
    QCOMPARE(pollOnce(), QByteArray());
}

void TstSimWire::junkAndUnfinishedFrames()
{
    SimHarness sim;
    QVERIFY2(sim.start(), qPrintable(sim.error()));
    RawPort p;
    QVERIFY(p.open(sim.portName()));
    const QByteArray r = SimHarness::requestFrame(0x79);
    const QByteArray a = SimHarness::answerFrame(0x79, hex("0103008000033A001F000D51333032383934"));
    // Bytes outside a frame are echoed and logged, and a frame after them is found,
    // even one right after a lone FF.
    const QByteArray junk = hex("1234FF");
    QCOMPARE(exchange(p, junk + r, junk.size() + r.size() + 1 + a.size()).toHex(' '),
             (junk + r + hex("50") + a).toHex(' '));
    QVERIFY(SimHarness::waitFor(
        [&] {
            QByteArray all;
            for (const SimHarness::Entry &e : sim.log())
                if (e.dir == "rx" && e.kind == "junk")
                    all += e.bytes;
            return all == junk;
        },
        2000));
    QCOMPARE(sim.received(), QList<QByteArray>{r});
    // A frame too short to carry a board packet passes the RIB, and the board stays silent.
    const QByteArray tiny = hex("FF2F0001D0");
    QCOMPARE(exchange(p, tiny, tiny.size() + 1).toHex(' '), (tiny + hex("50")).toHex(' '));
    // A frame that stops half-way is given up after a second: its bytes come back
    // and the next frame is answered.
    sim.markLog();
    QVERIFY(p.write(r.left(5)));
    QCOMPARE(p.read(5, 3000), r.left(5));
    QVERIFY(SimHarness::waitFor(
        [&] {
            for (const SimHarness::Entry &e : sim.log())
                if (e.dir == "rx" && e.kind == "junk" && e.bytes == r.left(5))
                    return true;
            return false;
        },
        2000));
    QCOMPARE(exchange(p, r, r.size() + 1 + a.size()), r + hex("50") + a);
}

void TstSimWire::controlRefusesBadLines()
{
    SimHarness sim;
    QVERIFY2(sim.start(), qPrintable(sim.error()));
    QVERIFY(!sim.control("fault bogus"));
    QVERIFY(!sim.control("fault status"));
    QVERIFY(!sim.control("fault no-ack cmd=zz"));
    QVERIFY(!sim.control("trace"));
    QVERIFY(!sim.control("latency -4"));
    QVERIFY(!sim.control("config 00"));
    QVERIFY(!sim.control("jump"));
    QVERIFY(sim.control("latency 5"));
    QByteArray cfg = SimHarness::defaultConfig();
    cfg[0] = 0x0E;
    cfg[19] = char(quint8(cfg[19]) + 1);
    QVERIFY(sim.control("config " + cfg.toHex()));
    QCOMPARE(sim.record("config"), cfg);
    QVERIFY(sim.control("quit"));
    QVERIFY(SimHarness::waitFor([&] { return !sim.isRunning(); }, 3000));
    // A simulator that is gone refuses at once.
    QElapsedTimer t;
    t.start();
    QVERIFY(!sim.control("clear"));
    QVERIFY(t.elapsed() < 1000);
}

void TstSimWire::pacingAt9600()
{
    // 9 echoed bytes, the acknowledgement and the 27-byte answer frame: 37 bytes of
    // ten bits each at 9600 baud take 38.5 ms; the latency adds 30 ms.
    SimHarness sim;
    QVERIFY2(sim.start({"--latency", "30"}, true), qPrintable(sim.error()));
    RawPort p;
    QVERIFY(p.open(sim.portName()));
    const QByteArray r = SimHarness::requestFrame(0x79);
    const QByteArray a = SimHarness::answerFrame(0x79, hex("0103008000033A001F000D51333032383934"));
    QElapsedTimer t;
    t.start();
    QVERIFY(p.write(r));
    const QByteArray got = p.read(r.size() + 1 + a.size(), 3000);
    const qint64 took = t.elapsed();
    QCOMPARE(got, r + hex("50") + a);
    QVERIFY2(took >= 66, qPrintable(QString::number(took)));
    QVERIFY2(took < 400, qPrintable(QString::number(took)));
}

QTEST_GUILESS_MAIN(TstSimWire)
#include "tst_simwire.moc"
