// The faults of the board simulator against the work the terminal does on the line, through the
// link thread and the serial port over the simulator's pseudo-terminal: each kind on one piece
// of work (how the link takes every bad answer is tst_link's), what the board and the terminal
// then hold, and the same work right after on a healthy line. The pauses of the link are
// recorded, not slept; the read time-outs are real, so the faults that wait for them act once.
#include <QtTest>

#include "link/tmemoryport.h"
#include "link/tthread.h"
#include "linkrecorder.h"
#include "linktexts.h"
#include "simharness.h"
#include "testkit.h"

using namespace LinkText;

namespace
{
const QByteArray kWrite = otherRecord(0x21), kTest = otherRecord(0x33), kCodec = hex("011678");
const QStringList readOk = {"readCfg " + newRecord().toHex(), readDone};

using Records = QMap<QString, QByteArray>; // the board's records by name

// One piece of work the terminal does on the line.
struct Operation {
    const char *name;
    quint8 cmd; // the command the simulator's fault acts on
    std::function<void(TThread &)> post;
    QByteArray data{};      // the request data of its command
    QStringList ok, failed; // what it gives when its command got through, and when the line failed
    const char *before = "", *after = ""; // the commands it sends before and after its own
    // What the board's records become when it carries the command out.
    std::function<void(Records &)> carriedOut = [](Records &) {};
    // The work once more on a healthy line (none: the same work), and what it then gives, as
    // a pattern of its lines joined by '|' (none: ok).
    std::function<void(TThread &)> again{};
    QString healthy{};
};

enum Op { Read, Ident, Write, Test, Codec, Poll };
const auto read = [](TThread &t) { t.postRead(); };
const auto save = [](TThread &t) { t.postSave(u8(kWrite), 20); };
const auto test = [](TThread &t) { t.postTest(u8(kTest), 20); };
const QStringList saved = {"saveStp", saveDone}, tested = {"testStp", testDone};
// clang-format off
const Operation kOps[] = {
    {.name = "read", .cmd = 0x76, .post = read, .ok = readOk, .failed = {"readErr"}, .before = "7980"},
    {.name = "ident", .cmd = 0x79, .post = read, .ok = readOk, .failed = {"readErr"}, .after = "8076"},
    {.name = "write", .cmd = 0x75, .post = save, .data = kWrite, .ok = saved, .failed = {"saveErr"},
     .carriedOut = [](Records &r) { r["config"] = kWrite; }},
    {.name = "test", .cmd = 0x74, .post = test, .data = kTest, .ok = tested, .failed = {"testErr"},
     .carriedOut = [](Records &r) { r["test"] = kTest; }},
    {.name = "codec", .cmd = 0x82, .post = [](TThread &t) { t.postCodec(u8(kCodec) + 1, 1); },
     .data = kCodec, .ok = {codecDone}, .failed = {codecFailed},
     .carriedOut = [](Records &r) { r["codec"][0x16] = 0x78; }},
    // The records 02b1b2b3b4, 03c1c2 and 00d1 wait on the board; each poll it answered took
    // one, whether its answer arrived or not. A failed poll ends the chain of polls: tracing
    // starts anew.
    {.name = "poll", .cmd = 0x78, .post = [](TThread &t) { t.postTracePoll(); },
     .ok = {"traceRdy 0303c1c2"}, .failed = {"traceErr"},
     .again = [](TThread &t) { t.postTrace(1); }, .healthy = "traceRdy [0-9a-f]+"}};
// clang-format on

// A row: what the work comes to under the fault.
struct FaultCase {
    QStringList events{}; // log lines and signals, in order
    QByteArray cmds{};    // the commands of the frames on the line
    QList<int> pauses{};
    bool done = false;         // the board carried the command out
    bool identityLost = false; // the board told it has no identity
    int mode = 1;
};

// n attempts that fail alike, each but the tenth followed by the retry line.
QStringList tries(const QStringList &each, int n)
{
    QStringList l;
    for (int i = 1; i <= n; ++i) {
        l << each;
        if (i < 10)
            l << retry.arg(i);
    }
    return l;
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
Q_DECLARE_METATYPE(FaultCase)

class TstFaults : public QObject
{
    Q_OBJECT

    // The row of the operation with the simulator's fault (none: a healthy line).
    static void add(Op op, const char *fault, const FaultCase &c)
    {
        QTest::addRow("%s%s %s", c.mode > 1 ? "service " : "", kOps[op].name, fault)
            << int(op) << QString(fault) << c;
    }
    // The fault costs one attempt, with its line and pause; the second gets through.
    static void retried(Op op, const char *fault, const QStringList &cause, int pause = 1000)
    {
        const Operation &o = kOps[op];
        add(op, fault,
            {.events = tries(cause, 1) + o.ok,
             .cmds = hex(o.before) + QByteArray(2, char(o.cmd)) + hex(o.after),
             .pauses = {pause},
             .done = true});
    }
    // Every one of the ten attempts fails alike; then why the transaction failed.
    static void always(Op op, const char *fault, const QString &cause, const QString &why,
                       int pause = 1000)
    {
        const Operation &o = kOps[op];
        add(op, fault,
            {.events = tries({cause}, 10) + QStringList{why} + o.failed,
             .cmds = hex(o.before) + QByteArray(10, char(o.cmd)),
             .pauses = QList<int>(9, pause)});
    }

    // The same work right after, the line healthy again: it goes well.
    static void healthyAgain(const Operation &o, SimHarness &sim, TThread &t, LinkRecorder &rec)
    {
        QVERIFY(sim.control("clear") && sim.control("trace 07e1"));
        t.setMode(1);
        rec.clear();
        (o.again ? o.again : o.post)(t);
        QVERIFY(t.wait(10000));
        QList<int> none;
        const QStringList again = seen(rec, sim.portName(), none);
        QVERIFY(none.isEmpty());
        const QString healthy =
            o.healthy.isEmpty() ? QRegularExpression::escape(o.ok.join('|')) : o.healthy;
        QVERIFY2(QRegularExpression(QRegularExpression::anchoredPattern(healthy))
                     .match(again.join('|'))
                     .hasMatch(),
                 qPrintable(again.join('|')));
    }

private slots:
    void matrix_data()
    {
        QTest::addColumn<int>("op");
        QTest::addColumn<QString>("fault"); // acts on the operation's command
        QTest::addColumn<FaultCase>("c");
        // A read: the fault on the configuration, after identity and board data.
        always(Read, "bad-frame-sum,always", radio.arg(11), boardSilent);
        add(Read, "garble", {.events = {errorAnswer.arg(2), "readErr"}, .cmds = hex("798076")});
        retried(Read, "corrupt-packet", {packet.arg(11)});
        // The identity: a board without one is read on, without its board data.
        add(Ident, "error",
            {.events = QStringList{errorAnswer.arg(5), noIdent} + readOk,
             .cmds = hex("7976"),
             .identityLost = true});
        always(Ident, "wrong-id,always", packetId.arg(122), boardSilent);
        retried(Ident, "bad-packet-sum", {packet.arg(11)});
        // A write; the board may have carried it out although its answer was lost.
        always(Write, "nak,always", resend, ribSilent, 250);
        add(Write, "garble", {.events = {"saveErr", status1}, .cmds = hex("75")});
        retried(Write, "no-answer", {});
        retried(Write, "corrupt", {radio.arg(11)});
        // A test.
        add(Test, "status=33", {.events = {"testErr", statusOther}, .cmds = hex("74")});
        retried(Test, "truncated", {radio.arg(10)});
        always(Test, "bad-echo=0,always", badEcho, ribSilent);
        add(Test, "long-len=FF", {.events = tested, .cmds = hex("74"), .done = true});
        // A codec command.
        retried(Codec, "no-ack", {noAck});
        // A trace poll: a short record is a record; the bytes before the acknowledgement are
        // skipped.
        add(Poll, "short", {.events = {"traceRdy 0202b1"}, .cmds = hex("78")});
        add(Poll, "short-echo", {.events = {noRib, "traceErr"}, .cmds = hex("78")});
        retried(Poll, "no-answer", {});
        add(Poll, "stray", {.events = {"traceRdy 0502b1b2b3b4"}, .cmds = hex("78")});
        // In a service mode the port's own lines: a hung-up line is a failed read (-1); an
        // incomplete echo closes with the transport's code, which is not a port error.
        const QString open = opened.arg("N"), shut = closed.arg("N");
        // clang-format off
        add(Write, "",        {.events = QStringList{open, shut} + saved, .cmds = hex("75"), .done = true, .mode = 2});
        add(Ident, "close",   {.events = {open, portError.arg("N").arg(-1), shut, portLost.arg("N"), "readErr"},
                               .cmds = hex("79"), .mode = 2});
        add(Read, "no-echo",  {.events = {open, noRib, shut, "readErr"}, .cmds = hex("798076"), .mode = 2});
        add(Write, "nak",     {.events = QStringList{open, resend, shut, retry.arg(1), open, shut} + saved,
                               .cmds = hex("7575"), .pauses = {250}, .done = true, .mode = 2});
        // clang-format on
    }
    void matrix()
    {
        QFETCH(int, op);
        QFETCH(QString, fault);
        QFETCH(FaultCase, c);
        const Operation &o = kOps[op];
        SimHarness sim;
        QVERIFY2(sim.start({"--trace-rate", "0"}), qPrintable(sim.error()));
        TThread t;
        LinkRecorder rec(&t, Qt::DirectConnection);
        t.setSleepFunction(rec.pauses());
        t.setPort(sim.portName());
        // The terminal knows the board from an earlier read, and the board traces.
        for (const char *r : {"01a1", "02b1b2b3b4", "03c1c2", "00d1"})
            QVERIFY(sim.control(QStringLiteral("trace ") + r));
        t.postRead();
        t.postTrace(1);
        QVERIFY(t.wait(10000));
        QCOMPARE(rec.outcome().last(), "traceRdy 0201a1");
        QByteArray ident = boardRecords(t);
        QCOMPARE(ident, sim.record("ident") + sim.record("info"));
        Records board;
        for (const char *k :
             {"config", "ident", "info", "test", "rxctl", "micctl", "trace", "codec"})
            board[k] = sim.record(k);

        rec.clear();
        sim.markLog();
        t.setMode(c.mode);
        QVERIFY(fault.isEmpty() || sim.fault(fault + ",cmd=" + QString::number(o.cmd, 16)));
        o.post(t);
        QVERIFY(t.wait(30000));
        QList<int> slept;
        QCOMPARE(seen(rec, sim.portName(), slept), c.events);
        QCOMPARE(slept, c.pauses);
        QByteArrayList frames;
        for (const char cmd : c.cmds)
            frames << TMemoryPort::requestFrame(cmd, quint8(cmd) == o.cmd ? o.data : QByteArray());
        QCOMPARE(sim.received(), frames);
        // The board's records changed only by a command it carried out; the terminal's copy of
        // the identity and board data only by a board that has none.
        if (c.done)
            o.carriedOut(board);
        for (auto it = board.cbegin(); it != board.cend(); ++it)
            QVERIFY2(sim.record(it.key()) == it.value(), qPrintable(it.key()));
        if (c.identityLost)
            ident[0] = ident[1] = 0;
        QCOMPARE(boardRecords(t).toHex(), ident.toHex());
        healthyAgain(o, sim, t, rec);
    }
};

QTEST_GUILESS_MAIN(TstFaults)
#include "tst_faults.moc"
