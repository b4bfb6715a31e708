// The board simulator spoken to raw over its pseudo-terminal, with frames built here and no
// link code; the terminal's link against it, fault by fault, is tst_faults.
#include <QtTest>

#include <QSerialPort>

#include <numeric>
#include <sys/stat.h>

#include "link/tmemoryport.h"
#include "simharness.h"
#include "testkit.h"

namespace
{
const QByteArray kIdent = hex("0103008000033A001F000D51333032383934");
const QByteArray kInfo = hex("1301DB07030F513237352D53494D000000000000A55A");
const QByteArray kOther = otherRecord();

// One row of raw exchanges.
struct Ex {
    QStringList args = {};                   // on the command line
    QStringList ctl = {};                    // control lines before the first frame, each taken
    QStringList refused = {};                // control lines after those, each refused
    QByteArrayList sends = {}, replies = {}; // written one at a time, and what comes back for each
    QMap<QString, QByteArray> records = {};  // records changed in the state file
    QStringList hits = {};                   // the fault lines of the frame log
};

// The simulator and its device, opened as any serial program would open it.
struct Raw {
    SimHarness sim;
    QSerialPort port;
    bool start(const QStringList &args = {}, bool paced = false)
    {
        port.close();
        port.setPortName(sim.start(args, paced) ? sim.slavePath() : QString());
        return port.open(QIODevice::ReadWrite);
    }
    // Writes, then reads until n bytes have come (2 s at most) and nothing more within idle ms.
    QByteArray talk(const QByteArray &out, int n, int idle = 30)
    {
        port.write(out);
        port.waitForBytesWritten(1000);
        QByteArray got;
        const QDeadlineTimer deadline(2000);
        while (port.bytesAvailable() ||
               port.waitForReadyRead(got.size() < n ? int(deadline.remainingTime()) : idle))
            got += port.readAll();
        return got;
    }
};

// Every option and fault the help names.
const QStringList kHelp =
    QString("--link --state --log --control --fault --no-pacing --baud --latency --no-identity "
            "--config --ident --info --trace-rate --with-parent no-echo short-echo bad-echo "
            "no-ack nak stray close no-answer bad-frame-sum bad-packet-sum wrong-id error status "
            "short truncated long-len corrupt corrupt-packet garble junk ctl")
        .split(' ');
} // namespace
Q_DECLARE_METATYPE(Ex)

class TstSim : public QObject
{
    Q_OBJECT

    QByteArray req(quint8 c, QByteArray d = {}) { return TMemoryPort::requestFrame(c, d); }
    QByteArray ans(quint8 id, QByteArray d = {}) { return TMemoryPort::answerFrame(id, d); }
    // A whole exchange as the terminal sees it: the echo, the acknowledgement, the answer.
    QByteArray full(quint8 c, QByteArray d, QByteArray a) { return req(c, d) + '\x50' + ans(c, a); }
    // The echo of f, the acknowledgement and the board's error answer with this code.
    QByteArray no(QByteArray f, const char *code) { return f + '\x50' + ans(0x73, hex(code)); }
    // The frame with the bits x of byte i flipped; bad() puts the frame checksum right again.
    QByteArray flip(QByteArray f, int i, int x = 0xFF) { return f[i] = char(f[i] ^ x), f; }
    QByteArray bad(QByteArray f, int i, int x = 1) { return seal(flip(f, i, x).chopped(1)); }
    QByteArray seal(QByteArray f) { return f + char(255 - std::accumulate(f.begin(), f.end(), 0)); }
    QByteArray poll(const char *data) { return full(0x78, {}, hex(data)); }
    void row(const QByteArray &name, const Ex &x) { QTest::newRow(name.constData()) << x; }
    void refuse(QByteArray f, QByteArray reply)
    {
        row(f.toHex(), {.sends = {f}, .replies = {f + reply}});
    }
    // One fault on a frame of 0x79: what comes back, and its line in the frame log.
    void fault(const char *what, const QByteArray &reply)
    {
        row(what, {.ctl = {QString("fault ") + what},
                   .sends = {req(0x79)},
                   .replies = {reply},
                   .hits = {"fault 79 " + QString(what)}});
    }
    // The simulator run to its end.
    struct Run {
        int code; // -1 when it did not end by itself within 3 s
        QByteArray out, err;
    };
    Run run(const QStringList &args)
    {
        QProcess p;
        p.start(qEnvironmentVariable("Q275_SIM"), args);
        const bool ended = p.waitForFinished(3000) && p.exitStatus() == QProcess::NormalExit;
        return {ended ? p.exitCode() : -1, p.readAllStandardOutput(), p.readAllStandardError()};
    }

private slots:
    // Help on stdout.
    void help()
    {
        const Run r = run({"--help"});
        QCOMPARE(r.code, 0);
        QVERIFY2(r.err.isEmpty(), r.err);
        for (const QString &w : kHelp)
            QVERIFY2(r.out.contains(w.toLatin1()), qPrintable(w));
    }

    void refusedStart_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("code");
        for (const char *f : {"bogus", "status", "no-ack,count=0", "nak,count=a",
                              "nak,count=", "long-len=7F", "nak,cmd=zz"})
            QTest::newRow(f) << QStringList{"--fault", f} << 2;
        const QList<QStringList> options = {
            {"--config", "0011"}, {"--latency", "x"}, {"--latency", "60001"},
            {"--baud", "299"},    {"--wrong"},        {"--link"}};
        for (const QStringList &a : options)
            QTest::newRow(qPrintable(a.join(' '))) << a << 2;
        QTest::newRow("link in no folder") << QStringList{"--link", "/nonexistent/q275/tty"} << 1;
    }
    // A refused start says why on stderr and makes no device.
    void refusedStart()
    {
        QFETCH(QStringList, args);
        QFETCH(int, code);
        const Run r = run(args);
        QCOMPARE(r.code, code);
        QVERIFY2(r.out.isEmpty() && r.err.startsWith("q275-sim: "), r.out + r.err);
    }

    void exchange_data()
    {
        QTest::addColumn<Ex>("x");
        // e: the echo of r79 and the acknowledgement.
        const QByteArray r79 = req(0x79), r80 = req(0x80), r76 = req(0x76), r78 = req(0x78);
        const QByteArray a79 = ans(0x79, kIdent), f79 = full(0x79, {}, kIdent), e = r79 + '\x50';
        const QByteArray info = hex("2A00DC07050C000102030405060708090A0B0C0D0E0F");
        const QByteArray test = otherRecord(0x33), codec = hex("02167801FE"), on = hex("05");
        const QByteArray f76 = full(0x76, {}, newRecord()), longest(62, 0x5A);
        const QString nak = "nak,count=2", noAnswer = "no-answer cmd=0x76 count=2";
        const QString error = "error=FF,always";
        QByteArray regs(256, 0);
        regs[0x16] = 0x78, regs[0x01] = char(0xFE);
        // clang-format off
        row("a new board", {.sends = {r76, r79, r80, r78},
                            .replies = {f76, f79, full(0x80, {}, kInfo), poll("")}});
        row("a frame in two writes", {.sends = {r79.left(8), r79.mid(8)},
                                      .replies = {r79.left(8), f79.mid(8)}});
        // Junk comes back and is logged, and the frame after it is found, even after a lone FF;
        // a frame too short for a packet gets no answer; an unfinished one is given up.
        row("junk", {.sends = {hex("1234FF") + r79}, .replies = {hex("1234FF") + f79}});
        row("too short for a packet", {.sends = {hex("FF2F0001D0")},
                                       .replies = {hex("FF2F0001D050")}});
        row("unfinished frame", {.sends = {r79.left(5), r79}, .replies = {r79.left(5), f79}});
        row("written records read back", {
            .sends = {req(0x75, kOther), req(0x76), req(0x81, info), req(0x80), req(0x74, test),
                      req(0x82, codec), req(0x83, hex("0A")), req(0x84, hex("05"))},
            .replies = {full(0x75, kOther, "0"), full(0x76, {}, kOther), full(0x81, info, "0"),
                        full(0x80, {}, info), full(0x74, test, "0"), full(0x82, codec, "0"),
                        full(0x83, hex("0A"), "0"), full(0x84, hex("05"), "0")},
            .records = {{"config", kOther}, {"info", info}, {"test", test}, {"codec", regs},
                        {"rxctl", hex("0A")}, {"micctl", hex("05")}}});
        // Trace streams 0 and 2 take turns, with their counters; switching off empties the
        // queue; records queued on the control line (hex, "0x" allowed) come out as given, up to
        // 62 bytes.
        row("trace 05", {
            .args = {"--trace-rate", "100"},
            .sends = {req(0x77, on), r78, r78, r78, r78, req(0x77, hex("00")), r78},
            .replies = {full(0x77, on, "0"), poll("0000"), poll("020120"), poll("00020001"),
                        poll("0203202122"), full(0x77, hex("00"), "0"), poll("")}});
        row("trace 05, a record a second: the first at once", {
            .args = {"--trace-rate", "1"}, .sends = {req(0x77, on), r78, r78},
            .replies = {full(0x77, on, "0"), poll("0000"), poll("")}, .records = {{"trace", on}}});
        row("queued trace records", {
            .ctl = {"trace 07 01 02", "trace 0x03", "trace " + longest.toHex()},
            .refused = {"trace 5A" + longest.toHex()}, .sends = {r78, r78, r78, r78},
            .replies = {poll("070102"), poll("03"), full(0x78, {}, longest), poll("")}});
        row("control lines", {
            .ctl = {"latency 60000", "latency 0", "identity off", "identity on",
                    "config " + kOther.toHex()},
            .refused = {"fault bogus", "fault status", "fault nak cmd=zz", "trace", "latency -4",
                        "latency 60001", "identity maybe", "config 00", "info 00", "jump"},
            .records = {{"config", kOther}}});
        // Refused requests: unknown commands, wrong data, packet checksum, packet length.
        QByteArray badSum = kOther;
        badSum[19] = char(badSum[19] + 1);
        for (const QByteArray &f : {req(0x72), req(0x7F), req(0x85, hex("00"))})
            refuse(f, no({}, "01"));
        for (const QByteArray &f :
             {req(0x75, badSum), req(0x74, badSum), req(0x75, kOther.left(19)),
              req(0x81, info.left(21)), req(0x82, hex("021678")), req(0x82), req(0x77),
              req(0x83, hex("0A0B")), req(0x84)})
            refuse(f, '\x50' + ans(f[6], "2"));
        refuse(bad(req(0x75, kOther), 27), '\x50' + ans(0x75, "1"));
        refuse(bad(r79, 7), no({}, "02")), refuse(bad(r79, 5), no({}, "03"));
        row("--no-identity", {.args = {"--no-identity"}, .sends = {r79},
                              .replies = {no(r79, "01")}});
        // Faults act on the frames they are meant for, and none is left after "clear".
        row("nak count=2", {
            .ctl = {"fault " + nak}, .sends = {r79, r76, r76},
            .replies = {r79 + '\x60', r76 + '\x60', f76},
            .hits = {"fault 79 " + nak, "fault 76 " + nak}});
        row("no-answer cmd=76", {
            .ctl = {"fault " + noAnswer}, .sends = {r79, r76, r79, r76, r76},
            .replies = {f79, r76 + '\x50', f79, r76 + '\x50', f76},
            .hits = {"fault 76 " + noAnswer, "fault 76 " + noAnswer}});
        row("error=FF always", {
            .ctl = {"fault " + error}, .sends = {r79, r80, r76},
            .replies = {no(r79, "FF"), no(r80, "FF"), no(r76, "FF")},
            .hits = {"fault 79 " + error, "fault 80 " + error, "fault 76 " + error}});
        row("on the command line", {
            .args = {"--fault", "no-ack,count=2", "--fault", "error=07,cmd=80", "--fault",
                     "stray,count=100000,cmd=83"},
            .sends = {r79, r79, r80, r80},
            .replies = {r79, r79, no(r80, "07"), full(0x80, {}, kInfo)},
            .hits = {"fault 79 no-ack,count=2", "fault 79 no-ack,count=2",
                     "fault 80 error=07,cmd=80"}});
        row("clear", {.args = {"--fault", "stray=01,always"},
                      .ctl = {"fault bad-frame-sum,cmd=79", "clear"},
                      .sends = {r79}, .replies = {f79}});
        // clang-format on
        fault("bad-echo", flip(r79, 8)), fault("bad-echo=0", flip(r79, 0));
        fault("long-len", e + hex("FF8F0081") + a79);
        fault("bad-frame-sum", e + flip(a79, 26, 1)), fault("corrupt=0", e + flip(a79, 0));
        fault("corrupt-packet", e + bad(a79, 24, 0xFF));
    }
    void exchange()
    {
        QFETCH(Ex, x);
        Raw r;
        QVERIFY2(r.start(QStringList{"--trace-rate", "0"} + x.args), qPrintable(r.sim.error()));
        QMap<QString, QByteArray> want;
        for (const char *k :
             {"config", "ident", "info", "test", "rxctl", "micctl", "trace", "codec"})
            want[k] = r.sim.record(k);
        for (const QString &c : x.ctl)
            QVERIFY2(r.sim.control(c), qPrintable(c));
        for (const QString &c : x.refused)
            QVERIFY2(!r.sim.control(c), qPrintable(c));
        for (int i = 0; i < x.sends.size(); ++i)
            QCOMPARE(r.talk(x.sends[i], x.replies[i].size()).toHex(' '), x.replies[i].toHex(' '));
        // The frame log: every byte sent (the echo of junk apart) and received as HEX, and the
        // faults that acted.
        QByteArray junk;
        QStringList faults;
        for (const SimHarness::Entry &e : r.sim.log()) {
            if (e.dir == "fault")
                faults << e.text;
            else if (!e.bytes.isEmpty())
                QCOMPARE(e.text.section(' ', 2), QString(e.bytes.toHex(' ').toUpper()));
            junk += e.kind == "junk" ? e.bytes : QByteArray();
        }
        QCOMPARE((junk + r.sim.sent({}).join()).toHex(' '), x.replies.join().toHex(' '));
        QCOMPARE(faults, x.hits);
        want.insert(x.records);
        for (auto it = want.cbegin(); it != want.cend(); ++it)
            QVERIFY2(r.sim.record(it.key()) == it.value(), qPrintable(it.key()));
    }

    // What was written survives a restart, and only a write rewrites it; --config wins over
    // it; a damaged state file is refused. Paced, an exchange takes its line time: the 9-byte echo,
    // the acknowledgement and the 29-byte answer are 39 bytes of ten bits, 40.6 ms at 9600 baud;
    // the latency adds 30 ms.
    void stateAcrossRestarts()
    {
        Raw r;
        QVERIFY2(r.start(), qPrintable(r.sim.error()));
        const QByteArray test = otherRecord(0x33);
        QElapsedTimer t;
        t.start();
        // Unpaced, the 40 bytes that come back take less than their line time of 41.7 ms.
        QCOMPARE(r.talk(req(0x75, kOther), 40, 0), full(0x75, kOther, "0"));
        QCOMPARE_LT(t.elapsed(), 40);
        QCOMPARE(r.talk(req(0x74, test), 40), full(0x74, test, "0"));
        QCOMPARE(r.talk(req(0x83, hex("0A")), 21), full(0x83, hex("0A"), "0"));
        r.sim.stop();
        // A link left behind by a simulator that was killed is replaced.
        QVERIFY(QFile::link("/nonexistent", r.sim.portName()));
        QVERIFY2(r.start({"--latency", "30"}, true), qPrintable(r.sim.error()));
        QCOMPARE(QFileInfo(r.sim.portName()).symLinkTarget(), r.sim.slavePath());
        const auto inode = [&r] {
            struct stat st = {};
            return ::stat(QFile::encodeName(r.sim.statePath()).constData(), &st) ? 0 : st.st_ino;
        };
        const auto kept = inode();
        t.restart();
        QCOMPARE(r.talk(req(0x76), 39, 0), full(0x76, {}, kOther));
        QCOMPARE_GE(t.elapsed(), 66);
        QVERIFY(kept && inode() == kept); // a read leaves the state file alone
        QCOMPARE_LT(t.elapsed(), 400);
        QCOMPARE(r.sim.record("test"), test);
        QCOMPARE(r.sim.record("rxctl"), hex("0A"));
        QVERIFY2(r.start({"--config", newRecord().toHex()}), qPrintable(r.sim.error()));
        QCOMPARE(r.talk(req(0x76), 39), full(0x76, {}, newRecord()));
        QFile f(r.sim.statePath());
        QVERIFY(f.open(QIODevice::WriteOnly) && f.write("config=0011\n") && f.flush());
        QVERIFY(!r.sim.start());
        QVERIFY2(r.sim.error().contains("q275-sim: " + r.sim.statePath()),
                 qPrintable(r.sim.error()));
    }

    // The device with its link, and "quit": then the link and the FIFO are gone and control
    // lines are refused at once.
    void startAndQuit()
    {
        SimHarness sim;
        QVERIFY2(sim.start(), qPrintable(sim.error()));
        QVERIFY2(sim.slavePath().startsWith("/dev/pts/"), qPrintable(sim.slavePath()));
        QCOMPARE(QFileInfo(sim.portName()).symLinkTarget(), sim.slavePath());
        QVERIFY(QFileInfo::exists(sim.controlPath()) && sim.control("quit"));
        QVERIFY(waitFor([&] { return !sim.isRunning(); }, 3000));
        QCOMPARE(sim.log().first().text, "line open " + sim.slavePath());
        QCOMPARE(sim.log().last().text, QString("line close"));
        QVERIFY(!QFileInfo(sim.portName()).isSymLink() && !QFileInfo::exists(sim.controlPath()));
        QElapsedTimer t;
        t.start();
        QVERIFY(!sim.control("clear") && t.elapsed() < 1000);
    }
};

QTEST_GUILESS_MAIN(TstSim)
#include "tst_sim.moc"
