// The link to the board: the port layer, the RIB transport and the setting commands over an
// in-memory line with the pauses recorded, the worker thread with its queue and signals, the
// serial port on a pseudo-terminal, and every input that once broke a fuzz program.
#include <QtTest>

#include <fcntl.h>
#include <thread>
#include <unistd.h>

#include "config/userfolders.h"
#include "fuzzharness.h"
#include "link/portfile.h"
#include "link/tlink.h"
#include "link/tmemoryport.h"
#include "link/tserialport.h"
#include "link/tthread.h"
#include "linkrecorder.h"
#include "linktexts.h"
#include "testkit.h"
#include "testsandbox.h"

using Bytes = QList<QByteArray>;
using Lines = QStringList;
using Board = QMap<quint8, Bytes>; // the board's answers to each command, in turn (the last stays)
using Post = std::function<void(TThread *, const quint8 *)>; // posts, given the caller's bytes
using namespace std::placeholders;
using namespace LinkText;

namespace
{
// How the RIB gives back each frame written.
enum Echo { Echoed, NoEcho, PartEcho, WrongOnce };

// A transaction of command 0x79 (18 bytes of answer data) on a line that misbehaves.
struct LineCase {
    Echo echo = Echoed;
    Bytes replies{}; // what follows the echo of each frame (the last one again for later frames)
    TMemoryPort::Faults faults{};
    QString portName = "ttyTEST";
    int mode = 1;
    Lines events{}; // the link's signals and lines, without the dumps and the receive counts
    int result = -1;
};

// Tasks posted to the worker with the caller's bytes, which the caller changes right after.
struct TaskCase {
    Board board{};
    bool portAbsent = false;
    Post post{};
    QByteArray data{};
    QByteArray written{};                   // every frame on the line
    Lines outcome{};                        // the signals and lines, without the progress signals
    QByteArray records = QByteArray(40, 0); // the identity and board data the thread keeps
};

// "Q275.ini" in the working folder and in the per-user one, and what the port file reader
// makes of them.
struct PortFileCase {
    QByteArray contents{}; // none: no file
    bool folder = false;   // a folder under the name
    QByteArray userContents{};
    QString name{}, problem{};
};

// A setting task, posted with data: its frame and its outcomes.
struct SettingCase {
    Post post{};
    QByteArray data{};
    QByteArray frame{};
    Lines ok{}, failed{}, refused{}; // status "0", a line that fails, before the status line
};

const QString noPort = mes(noOpen.arg("ttyTEST", notFound));
const QString portClosed = mes(closed.arg("ttyTEST"));
const Lines attempt = {"sendMax 9", "sendCnt 9"};
const Lines retry1 = Lines{"sleep 1000", mes(retry.arg(1))} + attempt;
// The port failing with code, in a service mode, and why the transaction failed.
Lines portFails(int code)
{
    return {mes(portError.arg("ttyTEST").arg(code)), portClosed,
            mes((code > -3 ? portLost : portUnset).arg("ttyTEST"))};
}
} // namespace
Q_DECLARE_METATYPE(LineCase)
Q_DECLARE_METATYPE(TaskCase)
Q_DECLARE_METATYPE(PortFileCase)

class TstLink : public QObject
{
    Q_OBJECT

    std::shared_ptr<TMemoryPort> port;
    std::unique_ptr<TLink> link;
    std::unique_ptr<TThread> thread;
    std::unique_ptr<LinkRecorder> lrec, trec;
    int mode = 1;
    QString name;
    // The board: its answers, and the data of every request it got. The worker touches them only
    // between a post and the end of the wait for it.
    Board answers;
    Bytes received;

    static QByteArray counting(int n, int from)
    {
        QByteArray d;
        for (int i = 0; i < n; ++i)
            d.append(char(from + i));
        return d;
    }
    static QByteArray ans(quint8 i, const QByteArray &d) { return TMemoryPort::answerFrame(i, d); }
    static QByteArray req(quint8 c, const QByteArray &d = {})
    {
        return TMemoryPort::requestFrame(c, d);
    }
    // A transaction that fails ten times the same way: the frame, the cause, the pause, the
    // retry; and at the end why it failed.
    static Lines tenTimes(const Lines &cause, const QString &why, const Lines &frame = attempt)
    {
        Lines out = frame + cause;
        for (int i = 1; i <= 9; ++i)
            out << "sleep 1000" << mes(retry.arg(i)) << frame << cause;
        return out << mes(why);
    }
    // The RIB's echo, then the next reply (the last one again for every later frame).
    static TMemoryPort::Responder line(Echo echo, const Bytes &replies)
    {
        auto n = std::make_shared<int>(0);
        return [=](const QByteArray &w) {
            QByteArray back = echo == NoEcho ? QByteArray() : echo == PartEcho ? w.left(5) : w;
            if (echo == WrongOnce && *n == 0)
                back[6] = char(0x7A);
            return back + replies.value(qMin((*n)++, int(replies.size()) - 1));
        };
    }
    // The transaction of the row, with the result it must come to.
    void transact(const LineCase &c, int result)
    {
        mode = c.mode;
        name = c.portName;
        port->setResponder(line(c.echo, c.replies));
        port->setFaults(c.faults);
        QCOMPARE(link->transact(0x79, nullptr, 0, BoardIdentity::IdentSize), qint8(result));
        QCOMPARE(lrec->events().filter(QRegularExpression("^(?!recv|mes [RT]xd)")), c.events);
        QCOMPARE(link->isPortOpen(), result == 1); // open for the caller only after an answer
    }
    void status(quint8 cmd, char s) { answers[cmd] = {ans(cmd, QByteArray(1, s))}; }
    bool finish() { return thread->wait(20000); }

private slots:
    void init()
    {
        mode = 1;
        name = "ttyTEST";
        received.clear();
        port = std::make_shared<TMemoryPort>();
        port->setResponder(TMemoryPort::rib([this](quint8 cmd, const QByteArray &data) {
            received << data;
            Bytes &a = answers[cmd];
            return a.size() > 1 ? a.takeFirst() : a.value(0);
        }));
        link = std::make_unique<TLink>();
        link->setDevice(port);
        link->setSettingsSource([this] { return mode; }, [this] { return name; });
        lrec = std::make_unique<LinkRecorder>(link.get());
        link->setSleepFunction(lrec->pauses());
        thread = std::make_unique<TThread>();
        thread->setPort(name);
        thread->setPortFactory([p = port] { return p; });
        trec = std::make_unique<LinkRecorder>(thread.get(), Qt::DirectConnection);
        thread->setSleepFunction(trec->pauses());
    }
    void cleanup() { thread.reset(); } // stops and waits

    // ------------------------------------------------------ port layer and transport

    void portLayer()
    {
        // The frames the other cases are built with.
        QCOMPARE(req(0x79, {}), hex("ff2f000544027941cc"));
        QCOMPARE(req(0x77, hex("01")), hex("ff2f00064403770141cb"));
        QCOMPARE(ans(0x78, {}), hex("ff8f0005430278436c"));
        QCOMPARE(ans(0x73, hex("05")), hex("ff8f000643037305426b"));
        QCOMPARE(link->setReadTimeout(1000), qint8(-3)); // closed
        quint8 frame[] = {0xFF, 0x2F, 0x00, 0x05}, in[4];
        QCOMPARE(link->transact(0x82, frame, 248), qint8(-1)); // too long for a frame: not sent
        QCOMPARE(link->openPort(), qint8(0));
        QCOMPARE(link->setReadTimeout(1000), qint8(0));
        QCOMPARE(link->openPort(), qint8(0)); // open already: changes nothing
        QCOMPARE(link->readTimeout(), quint32(1000));
        QCOMPARE(port->events(),
                 (Lines{"open ttyTEST", "timeouts 250 2500", "configure", "timeouts 1000 2500"}));
        link->closePort(0);
        mode = 2;
        link->closePort(-3); // closed already: nothing at all
        // An exchange in a service mode, with its time-outs: 250 for the echo, 1000 for the
        // acknowledgement and the frame start, 250 for the rest.
        port->setResponder([](const QByteArray &w) { return w + hex("50ff8f0005430278436c"); });
        QCOMPARE(link->transact(0x78, nullptr, 0, 0), qint8(1)); // the port stays open
        QCOMPARE(port->readTimeouts(), (QList<quint32>{250, 1000, 1000, 250, 250, 250, 250}));
        port->feed(hex("0aa0"));
        QCOMPARE(link->readBytes(in, 4), 2);
        link->dump("Txd", frame, 0);
        link->closePort(0);
        mode = 1;
        link->dump("Txd", frame, 4);
        const QString sent = "xd=>0xFF; 0x2F; 0x00; 0x05; 0x44; 0x02; 0x78; 0x42; 0xCC; ";
        QCOMPARE(lrec->events(),
                 (Lines{mes(tooBig.arg(82).arg(248)), mes(opened.arg("ttyTEST")), "sendMax 9",
                        "sendCnt 9", "mes T" + sent, "mes R" + sent, "mes Rxd=>0x50; ", "recvCnt 0",
                        "mes Rxd=>0xFF; ", "mes Rxd=>0x8F; ", "mes Rxd=>0x00; ", "mes Rxd=>0x05; ",
                        "recvMax 5", "mes Rxd=>0x43; 0x02; 0x78; 0x43; 0x6C; ", "recvCnt 5",
                        "mes Rxd=>0x0A; 0xA0; ", portClosed}));
    }

    // Transactions that end with the board's answer, at the first attempt or after a retry.
    void answered_data()
    {
        QTest::addColumn<LineCase>("c");
        const QByteArray ack = hex("50"), good = ans(0x79, counting(18, 0x10));
        const auto add = [](const char *row, const LineCase &c) { QTest::newRow(row) << c; };
        const Lines resent = attempt + Lines{mes(resend), "sleep 250", mes(retry.arg(1))} + attempt;
        // Header bytes without their start byte are skipped, before and after the refused header.
        // clang-format off
        add("echo differs",                {.echo = WrongOnce, .replies = {ack + good},
                                            .events = attempt + Lines{mes(badEcho)} + retry1});
        add("stray bytes, then 0x60",      {.replies = {hex("1122ff60"), hex("3350") + good}, .events = resent});
        add("length over 0x80",            {.replies = {hex("508f0005ff8f00818f0005") + good}, .events = attempt});
        add("second 0xFF before the type", {.replies = {hex("50ff") + good}, .events = attempt});
        add("packet of 64",                {.replies = {ack + ans(0x79, counting(62, 0x10))}, .events = attempt});
        // clang-format on
        // A bad answer, then a good one.
        QByteArray frameSum = good, packetSum = good;
        frameSum.back() += 1;
        packetSum[8] += 1;
        packetSum.back() -= 1;
        const QList<std::tuple<const char *, QByteArray, QString>> bad = {
            {"bad frame checksum", frameSum, radio.arg(11)},
            {"body incomplete", good.left(12), radio.arg(10)},
            {"bad packet checksum", packetSum, packet.arg(11)},
            {"packet not starting 0x43", hex("ff8f0005420278436d"), packet.arg(12)},
            {"packet length over 64", hex("ff8f0005434179036c"), packet.arg(10)},
            {"packet length 1", hex("ff8f00044301bc6d"), packet.arg(10)},
            {"answer too short", ans(0x79, counting(10, 1)), packet.arg(10)},
            {"packet longer than its frame", hex("ff8f0009431479010203040589"), packet.arg(10)},
            {"error answer without its code", ans(0x73, {}), packet.arg(10)}};
        for (const auto &[row, frame, why] : bad)
            add(row, {.replies = {ack + frame, ack + good},
                      .events = attempt + Lines{mes(why)} + retry1});
    }
    void answered()
    {
        QFETCH(LineCase, c);
        transact(c, 1);
        QCOMPARE(bytes(link->answerData(), 18), counting(18, 0x10));
    }

    // Transactions that fail, on the line or the RIB, the radio or the port, and the board's
    // error answer.
    void failures_data()
    {
        QTest::addColumn<LineCase>("c");
        const QByteArray ack = hex("50"), good = ans(0x79, counting(18, 0x10));
        const Lines ackLost = {mes(noAck)};
        const auto add = [](const char *row, const LineCase &c) { QTest::newRow(row) << c; };
        const QByteArray noise(TLink::NoiseLimit + 10, 0x11), starts(noise.size(), char(0xFF));
        const auto port = [&](const char *row, LineCase c) { // in a service mode, on a good line
            c.mode = 2, c.replies = {ack + good}, add(row, c);
        };
        const Lines opening = Lines{mes(opened.arg("ttyTEST"))} + attempt, sent = opening.mid(0, 2);
        const auto inExchange = [&](int code) { return opening + portFails(code); };
        // Why a port did not open, in every mode; the system's words, with a reason in Russian
        // where a common one fits.
        const auto unopened = [&](const char *row, TLinkPort::OpenError why, const QString &line) {
            add(row,
                {.replies = {ack + good},
                 .faults = {.openFails = true, .openWhy = why, .openText = qt_error_string(EIO)},
                 .events = {mes(noOpen.arg("ttyTEST", line))}});
        };
        // clang-format off
        // The line and the RIB, in user mode.
        add("no acknowledgement",           {.events = tenTimes(ackLost, ribSilent)});
        add("endless noise before the ack", {.replies = {noise}, .events = tenTimes(ackLost, ribSilent)});
        add("endless noise while hunting",  {.replies = {ack + starts}, .events = tenTimes({}, boardSilent)});
        add("radio never answers",          {.replies = {ack}, .events = tenTimes({}, boardSilent)});
        add("wrong identifier ten times",   {.replies = {ack + ans(0x12, counting(18, 0x10))},
                                             .events = tenTimes({mes(packetId.arg(18))}, boardSilent)});
        add("error answer",                 {.replies = {ack + ans(0x73, hex("1f"))},
                                             .events = attempt + Lines{mes(errorAnswer.arg("1f"))}, .result = 0});
        // The port.
        port("settings",                 {.faults = {.configureResult = -6}, .events = portFails(-6)});
        add("settings, user mode",       {.faults = {.configureResult = -6},
                                          .events = {mes(portUnset.arg("ttyTEST"))}});
        port("line state",               {.faults = {.configureResult = -5}, .events = portFails(-5)});
        port("time-outs at opening",     {.faults = {.failSetTimeouts = 1}, .events = portFails(-3)});
        port("time-outs at the hunt",    {.faults = {.failSetTimeouts = 3}, .events = inExchange(-3)});
        port("time-outs in the header",  {.faults = {.failSetTimeouts = 4}, .events = inExchange(-3)});
        port("absent",                   {.faults = {.openFails = true}, .events = {noPort}});
        unopened("absent, user mode",    TLinkPort::NotFound, notFound);
        unopened("busy",                 TLinkPort::Busy, "порт занят другой программой");
        unopened("no access",            TLinkPort::NoAccess,
                 "нет прав доступа — добавьте пользователя в группу dialout и войдите заново");
        unopened("not serial",           TLinkPort::NotSerial, "это не последовательный порт");
        unopened("other",                TLinkPort::OtherError, "ошибка ввода-вывода (" + qt_error_string(EIO) + ")");
        port("write fails",              {.faults = {.writeFails = true}, .events = sent + portFails(-2)});
        port("short write",              {.faults = {.writeLimit = 5},
                                          .events = sent + Lines{"sendCnt 5"} + portFails(-2)});
        port("read fails at the echo",   {.faults = {.failRead = 1}, .events = inExchange(-1)});
        port("read fails at the acknowledgement", {.faults = {.failRead = 2}, .events = inExchange(-1)});
        port("read fails at the frame type",      {.faults = {.failRead = 4}, .events = inExchange(-1)});
        port("read fails at the zero byte",       {.faults = {.failRead = 5}, .events = inExchange(-1)});
        // A name no port can have never reaches the device; a message shows it short.
        port("empty name", {.portName = "", .events = {mes(noOpen.arg("", noName))}});
        port("control character in the name", {.portName = QString("ttyS") + QChar(0) + "1",
             .events = {mes(noOpen.arg("ttyS\\x001", "в имени порта есть управляющий символ"))}});
        port("name too long", {.portName = QString(5000, 'x'), .events = {mes(noOpen.arg(QString(80, 'x') + "…",
             "имя порта слишком длинное (5000 символов, не более 1024)"))}});
        // clang-format on
    }
    void failures()
    {
        QFETCH(LineCase, c);
        transact(c, c.result);
    }

    // An echo that stays incomplete fails the transaction at once, without a retry, after one
    // read call per missing byte at most; the frame went out in one write.
    void incompleteEcho_data()
    {
        QTest::addColumn<int>("echo");
        QTest::addColumn<Lines>("calls"); // the port's write and read calls
        const Lines written = {"write 9=9"};
        QTest::newRow("RIB never echoes") << int(NoEcho) << written + Lines(9, "read 9=0");
        QTest::newRow("echo cut short")
            << int(PartEcho) << written + Lines{"read 9=5"} + Lines(8, "read 4=0");
    }
    void incompleteEcho()
    {
        QFETCH(int, echo);
        transact({.echo = Echo(echo), .events = attempt + Lines{mes(noRib)}}, -1);
        QTEST(port->events().filter(QRegularExpression("^(read|write) ")), "calls");
    }

    // -------------------------------------------------------------- the worker

    void readConfiguration()
    {
        const QByteArray cfg = counting(20, 0x80);
        answers[0x79] = {ans(0x79, counting(18, 1))};
        answers[0x80] = {ans(0x80, counting(22, 19))};
        answers[0x76] = {ans(0x76, cfg)};
        thread->postRead();
        QVERIFY(finish());
        const Lines frame = attempt + Lines{"recvCnt 0"};
        QCOMPARE(trec->events(),
                 (frame + Lines{"recvMax 23", "recvCnt 23"} + frame +
                  Lines{"recvMax 27", "recvCnt 27"} + frame +
                  Lines{"recvMax 25", "recvCnt 25", "readCfg " + cfg.toHex(), mes(readDone)}));
        QCOMPARE(port->written(), req(0x79) + req(0x80) + req(0x76));
        QCOMPARE(port->openCount(), 1); // one opening for the three commands
        QCOMPARE(boardRecords(*thread), counting(40, 1));
    }

    void tasks_data()
    {
        QTest::addColumn<TaskCase>("c");
        const auto add = [](const QString &row, const TaskCase &c) {
            QTest::newRow(qPrintable(row)) << c;
        };
        const QByteArray none(40, 0);
        // A second read, after a first that got the identity 01.., the board data 13.. and the
        // configuration 80..; the second answers are 21.., 60.. and A0..
        const Post twoReads = [](TThread *t, const quint8 *) { t->postRead(), t->postRead(); };
        const Lines second = {"readCfg " + counting(20, 0xA0).toHex(), mes(readDone)};
        const auto read = [&](const char *row, TaskCase c) {
            c.board[0x79].prepend(ans(0x79, counting(18, 1)));
            c.board[0x80].prepend(ans(0x80, counting(22, 19)));
            c.board[0x76].prepend(ans(0x76, counting(20, 0x80)));
            c.post = twoReads;
            c.written.prepend(req(0x79) + req(0x80) + req(0x76));
            c.outcome = Lines{"readCfg " + counting(20, 0x80).toHex(), mes(readDone)} + c.outcome;
            add(row, c);
        };
        const auto refused = [](char code) { return Bytes{ans(0x73, QByteArray(1, code))}; };
        const auto noVersion = [](QByteArray r) { return r.replace(0, 2, hex("0000")); };
        const Bytes id = {ans(0x79, counting(18, 0x21))}, cfg = {ans(0x76, counting(20, 0xA0))};
        const QByteArray all3 = req(0x79) + req(0x80) + req(0x76);
        // clang-format off
        read("identity refused", {.board = {{0x79, refused(1)}, {0x76, cfg}}, .written = req(0x79) + req(0x76),
             .outcome = Lines{mes(errorAnswer.arg(1)), mes(noIdent)} + second, .records = noVersion(counting(40, 1))});
        read("board data refused", {.board = {{0x79, id}, {0x80, refused(2)}, {0x76, cfg}}, .written = all3,
             .outcome = Lines{mes(errorAnswer.arg(2)), mes(noIdent)} + second,
             .records = noVersion(counting(18, 0x21) + counting(22, 19))});
        read("configuration refused", {.board = {{0x79, id}, {0x80, {ans(0x80, counting(22, 0x60))}}, {0x76, refused(4)}},
             .written = all3, .outcome = {mes(errorAnswer.arg(4)), "readErr"},
             .records = counting(18, 0x21) + counting(22, 0x60)});
        read("configuration of 19 bytes", {.board = {{0x79, refused(1)}, {0x76, {ans(0x76, counting(19, 0xA0))}}},
             .written = req(0x79) + req(0x76).repeated(10),
             .outcome = Lines{mes(errorAnswer.arg(1)), mes(noIdent)} + tenTimes({mes(packet.arg(10))}, boardSilent, {})
                        + Lines{"readErr"},
             .records = noVersion(counting(40, 1))});
        add("read, no port", {.portAbsent = true, .post = twoReads, .outcome = {noPort, "readErr", noPort, "readErr"}});
        // clang-format on

        // Every setting task with every status, then on a line that cannot be opened.
        const QList<QPair<char, QString>> refusals = {
            {'1', status1}, {'2', status2}, {'3', statusOther}, {'\0', statusOther}};
        const auto setting = [&](const char *kind, const SettingCase &s) {
            const quint8 cmd = quint8(s.frame[6]);
            const QString row = QString(kind) + ", ";
            TaskCase c{.post = s.post, .data = s.data, .written = s.frame, .outcome = s.ok};
            c.board = {{cmd, {ans(cmd, "0")}}};
            c.records = cmd == 0x81 ? QByteArray(18, 0) + s.data : none;
            add(row + "status 0x30", c);
            c.records = none;
            for (const auto &[st, why] : refusals) {
                c.board = {{cmd, {ans(cmd, QByteArray(1, st))}}};
                c.outcome = s.refused + Lines{mes(why)};
                add(row + "status 0x" + QString::number(st, 16), c);
            }
            add(row + "link failure", {.portAbsent = true,
                                       .post = s.post,
                                       .data = s.data,
                                       .outcome = Lines{noPort} + s.failed});
        };
        const QByteArray cfg20 = counting(20, 0x30), info = counting(22, 0x50);
        const Lines ctl = {mes(controlDone)};
        const Post rx = &TThread::postRxCtl;
        // clang-format off
        const std::pair<const char *, SettingCase> settings[] = {
            {"test", {.post = std::bind(&TThread::postTest, _1, _2, 20), .data = cfg20,
                      .frame = req(0x74, cfg20), .ok = {"testStp", mes(testDone)},
                      .failed = {"testErr"}, .refused = {"testErr"}}},
            {"save", {.post = std::bind(&TThread::postSave, _1, _2, 20), .data = cfg20,
                      .frame = req(0x75, cfg20), .ok = {"saveStp", mes(saveDone)},
                      .failed = {"saveErr"}, .refused = {"saveErr"}}},
            {"board data", {.post = std::bind(&TThread::postInfo, _1, _2, 22), .data = info,
                            .frame = req(0x81, info), .ok = {mes(infoDone)}}},
            {"codec", {.post = std::bind(&TThread::postCodec, _1, _2, 1), .data = hex("1678"),
                       .frame = hex("ff2f0008440582011678a6c9"), .ok = {mes(codecDone)},
                       .failed = {mes(codecFailed)}}},
            {"receiver", {.post = rx, .data = hex("5a"), .frame = req(0x83, hex("5a")), .ok = ctl,
                          .failed = {mes(rxFailed)}}},
            {"microphone", {.post = &TThread::postMicCtl, .data = hex("a5"),
                            .frame = req(0x84, hex("a5")), .ok = ctl, .failed = {mes(micFailed)}}}};
        // clang-format on
        for (const auto &[kind, s] : settings)
            setting(kind, s);
        // An error answer is a link failure; an answer without its status byte is retried.
        // clang-format off
        add("receiver, error answer", {.board = {{0x83, {ans(0x73, hex("07"))}}}, .post = rx, .data = hex("5a"),
            .written = req(0x83, hex("5a")), .outcome = {mes(errorAnswer.arg(7)), mes(rxFailed)}});
        add("receiver, no status byte", {.board = {{0x83, {ans(0x83, {}), ans(0x83, "0")}}}, .post = rx,
            .data = hex("5a"), .written = req(0x83, hex("5a")).repeated(2),
            .outcome = Lines{mes(packet.arg(10)), "sleep 1000", mes(retry.arg(1))} + ctl});
        // clang-format on
        // Control flags that are missing are no flags: nothing goes out.
        // clang-format off
        add("microphone, no flags", {.post = [](TThread *t, const quint8 *) { t->postMicCtl(nullptr); },
                                     .outcome = {mes(tooBig.arg(84).arg(-1)), mes(micFailed)}});
        // Oversized tasks are refused; 247 bytes make the largest frame, 256 bytes.
        const QByteArray pairs(2 * 124, '\x01');
        add("oversized", {.board = {{0x82, {ans(0x82, "0")}}},
            .post = [pairs](TThread *t, const quint8 *) {
                t->postCodec(u8(pairs), 124), t->postTest(u8(pairs), 248), t->postCodec(u8(pairs), 123);
            },
            .written = req(0x82, hex("7b") + pairs.left(246)),
            .outcome = {mes(tooBig.arg(82).arg(249)), mes(codecFailed), mes(tooBig.arg(74).arg(248)), "testErr",
                        mes(codecDone)}});
        // clang-format on

        // The trace switch, its polls and the pause after an empty one.
        const auto board = [](char status, const Bytes &polls) {
            return Board{{0x77, {ans(0x77, QByteArray(1, status))}}, {0x78, polls}};
        };
        const auto on = [](int mask) -> Post {
            return [mask](TThread *t, const quint8 *) { t->postTrace(mask); };
        };
        const Post offInPause = [this](TThread *t, const quint8 *) {
            t->setSleepFunction(trec->pauses([t](int) { t->postTrace(0); }));
            t->postTrace(3);
        };
        const QByteArray trace1 = req(0x77, hex("01")), off = req(0x77, hex("00")),
                         empty = ans(0x78, {});
        // The stop in the first pause: the task ends as failed, and a board that may trace (a
        // switch-on went out, no switch-off was confirmed since) is told to stop, once.
        const auto stopInPause = [this](const std::function<void(TThread *)> &posts) -> Post {
            return [this, posts](TThread *t, const quint8 *) {
                t->setSleepFunction(trec->pauses([t](int) { t->requestStop(); }));
                posts(t);
            };
        };
        const Lines onLost = {"sleep 1000", "traceErr", mes(boardSilent)};
        const QByteArray poll = req(0x78);
        // clang-format off
        add("stop, switch-on unanswered", {.board = {{0x77, {}}},
            .post = stopInPause([](TThread *t) { t->postTrace(1); }), .written = trace1 + off, .outcome = onLost});
        add("stop, switch-off queued behind it", {.board = {{0x77, {}}},
            .post = stopInPause([](TThread *t) { t->postTrace(1), t->postTrace(0); }),
            .written = trace1 + off, .outcome = onLost});
        add("stop after a confirmed switch-off", {.board = board('0', {}),
            .post = stopInPause([](TThread *t) { t->postTrace(1), t->postTrace(0), t->postRead(); }),
            .written = trace1 + off + req(0x79), .outcome = {"sleep 1000", "readErr"}});
        add("trace record",               {.board = board('0', {ans(0x78, hex("010203"))}), .post = on(0x105),
                                           .written = req(0x77, hex("05")) + poll, .outcome = {"traceRdy 03010203"}});
        add("trace, empty poll",          {.board = board('0', {empty, ans(0x78, hex("0a0b"))}), .post = on(1),
                                           .written = trace1 + poll + poll, .outcome = {"sleep 15000", "traceRdy 020a0b"}});
        add("trace off during the pause", {.board = board('0', {empty}), .post = offInPause,
                                           .written = req(0x77, hex("03")) + poll + off, .outcome = {"sleep 15000"}});
        add("trace refused",              {.board = board('2', {}), .post = on(1), .written = trace1,
                                           .outcome = {"traceErr", mes(status2)}});
        add("trace, poll error answer",   {.board = board('0', {ans(0x73, hex("09"))}), .post = on(1),
                                           .written = trace1 + poll, .outcome = {mes(errorAnswer.arg(9)), "traceErr"}});
        add("trace, poll while off",      {.board = board('0', {}),
                                           .post = [](TThread *t, const quint8 *) { t->postTracePoll(); }});
        // clang-format on
    }
    void tasks()
    {
        QFETCH(TaskCase, c);
        answers = c.board;
        port->setOpenFails(c.portAbsent);
        // Queued here, where they run after the worker has made all its records: the record
        // each pointer signal carries must still be its own.
        LinkRecorder late(thread.get(), Qt::QueuedConnection);
        // The worker waits at its start until the caller has changed its bytes.
        QSemaphore go;
        thread->setPortFactory([&go, p = port, first = std::make_shared<bool>(true)] {
            if (std::exchange(*first, false)) // not again when closing starts it anew
                go.acquire();
            return p;
        });
        QByteArray mine(c.data.constData(), c.data.size());
        c.post(thread.get(), u8(mine));
        mine.fill('\x77');
        go.release();
        QVERIFY(finish());
        QCOMPARE(trec->outcome(), c.outcome);
        QCOMPARE(port->written(), c.written);
        QCOMPARE(boardRecords(*thread), c.records);
        QCoreApplication::processEvents();
        QCOMPARE(late.outcome(), c.outcome.filter(QRegularExpression("^(?!sleep)")));
    }

    // Closing ends a pause at once, here the trace's long one, and the board is told to stop.
    void stopEndsPause()
    {
        thread->setSleepFunction(nullptr); // the real pauses
        status(0x77, '0');
        answers[0x78] = {ans(0x78, {})};
        thread->postTrace(1);
        QTRY_COMPARE_WITH_TIMEOUT(port->writes().size(), 2, 5000);
        QTest::qWait(50);
        QElapsedTimer t;
        t.start();
        thread->requestStop();
        QVERIFY(thread->wait(2000) && t.elapsed() < 500);
        QCOMPARE(port->written(), req(0x77, hex("01")) + req(0x78) + req(0x77, hex("00")));
        QCOMPARE(trec->outcome(), Lines());
    }

    // A trace whose reader follows it, as the trace window does, keeps the line open from one
    // poll to the next; the line is closed once the reader no longer asks. A poll nobody
    // follows closes it at once. Each record reaches the reader as its own, also queued.
    void followedTraceKeepsLine_data()
    {
        QTest::addColumn<int>("asked"); // polls the reader asks for, one after each record
        QTest::addColumn<int>("opened");
        QTest::newRow("followed") << 2 << 2;
        QTest::newRow("not followed") << 0 << 2;
    }
    void followedTraceKeepsLine()
    {
        QFETCH(int, asked);
        status(0x77, '0');
        answers[0x78] = {ans(0x78, hex("010203")), ans(0x78, hex("0405")), ans(0x78, hex("06"))};
        LinkRecorder late(thread.get(), Qt::QueuedConnection);
        connect(
            thread.get(), &TThread::traceRdy, thread.get(),
            [t = thread.get(), n = std::make_shared<int>(0), asked] {
                (*n)++ < asked && t->postTracePoll();
            },
            Qt::DirectConnection);
        thread->postTrace(1);
        QVERIFY(finish());
        QCOMPARE(port->written(), req(0x77, hex("01")) + req(0x78).repeated(asked + 1));
        QTEST(int(port->events().filter("open").size()), "opened");
        QCOMPARE(port->events().filter("close").size(), port->events().filter("open").size());
        QCOMPARE(port->events().last(), QStringLiteral("close"));
        QCoreApplication::processEvents();
        const Lines records = {"traceRdy 03010203", "traceRdy 020405", "traceRdy 0106"};
        QCOMPARE(late.outcome(), records.mid(0, asked + 1));
    }

    // A trace has one chain of polls: the reader asks for one poll per record, a record from
    // before a switch asks for nothing, and switching on beside a queued poll adds none.
    void onePollChain()
    {
        QSemaphore paused, resume;
        thread->setSleepFunction([&](int) { paused.release(), resume.tryAcquire(1, 5000); });
        status(0x77, '0');
        answers[0x78] = {ans(0x78, hex("01")), ans(0x78, hex("02")), ans(0x78, {}),
                         ans(0x78, hex("03"))};
        const QByteArray on = req(0x77, hex("01")), off = req(0x77, hex("00")), poll = req(0x78);
        QCOMPARE(thread->postTracePoll(), 0u); // no record yet
        thread->postTrace(1);
        QVERIFY(finish());
        thread->postTrace(0);
        QVERIFY(finish());
        QCOMPARE(thread->postTracePoll(), 0u); // its record came before the switch
        thread->postTrace(1);
        QVERIFY(finish());
        QVERIFY(thread->postTracePoll() != 0); // the record's one poll, answered empty
        QCOMPARE(thread->postTracePoll(), 0u);
        QVERIFY(paused.tryAcquire(1, 5000));
        thread->postTrace(0);
        thread->postTrace(1);
        resume.release();
        QVERIFY(finish());
        QCOMPARE(port->written(), on + poll + off + on + poll + poll + off + on + poll);
        QCOMPARE(trec->outcome(), (Lines{"traceRdy 0101", "traceRdy 0102", "traceRdy 0103"}));
    }

    void restartUnderLoad()
    {
        enum { PerPoster = 120 };
        status(0x81, '0');
        // Each start gets the line through a handle that takes its time to go: it widens the
        // moment in which a worker has found the queue empty but is still on its way out.
        thread->setPortFactory([p = port] {
            return std::shared_ptr<TLinkPort>(p.get(), [p](TLinkPort *) { QThread::msleep(2); });
        });
        auto poster = [t = thread.get()](int id) {
            for (int i = 0; i < PerPoster; ++i) {
                const quint8 info[22] = {quint8(id), quint8(i)};
                t->postInfo(info, 22);
                QThread::usleep(quint64(i % 4 * 150)); // the queue runs dry now and then
            }
        };
        std::thread a(poster, 1), b(poster, 2);
        a.join();
        b.join();
        QVERIFY(finish());
        // A new port name is taken at the next start.
        thread->setPort("ttyU");
        thread->postInfo(u8(hex("03") + QByteArray(21, 0)), 22);
        QVERIFY(finish());
        QList<int> next = {0, 0, 0, 0}; // every task ran once, each poster's in its own order
        for (const QByteArray &d : received)
            QCOMPARE(int(quint8(d[1])), next[d[0]]++);
        QCOMPARE(next, (QList<int>{0, PerPoster, PerPoster, 1}));
        QCOMPARE(received.last(), hex("03") + QByteArray(21, 0)); // the data as posted, no more
        // Each task opened the port and closed it.
        const Lines opened = Lines(2 * PerPoster, "open ttyTEST") << "open ttyU";
        QCOMPARE(port->events().filter("open"), opened);
        QCOMPARE(port->events().filter("close").size(), opened.size());
    }

    void stopDuringTransaction()
    {
        QSemaphore entered, release;
        bool first = true; // the worker's own
        port->setResponder([&](const QByteArray &w) {
            if (std::exchange(first, false)) // the first frame waits for the stop
                entered.release(), release.tryAcquire(1, 10000);
            return w + hex("50") + ans(0x74, "0");
        });
        const QByteArray cfg = counting(20, 0x30);
        thread->postTest(u8(cfg), 20);
        thread->postSave(u8(cfg), 20);
        thread->postRead();
        QVERIFY(entered.tryAcquire(1, 10000));
        thread->requestStop();
        const bool early = thread->wait(200); // the running task holds the wait
        release.release();
        QVERIFY(!early && finish());
        QCOMPARE(trec->outcome(), Lines{"testErr"}); // ended at its next step, as failed
        thread->postRead(); // nothing runs after the stop, and the queued tasks were dropped
        QVERIFY(!thread->isRunning());
        QCOMPARE(port->written(), req(0x74, cfg));
    }

    // ------------------------------------------------------------ the serial port

    void serialPort()
    {
        const int master = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
        QVERIFY(master >= 0 && grantpt(master) == 0 && unlockpt(master) == 0);
        const QString slave = QString::fromLocal8Bit(ptsname(master));
        // Another holder keeps the line alive between our openings, as the RIB's side does.
        const int keeper = ::open(ptsname(master), O_RDWR | O_NOCTTY);
        auto put = [=](const char *h) { return ::write(master, hex(h).data(), strlen(h) / 2); };
        TSerialPort sp, other;
        quint8 buf[16] = {};
        QVERIFY(!sp.open(QString()) && !sp.open("/dev/q275-no-such-port")); // both fail
        QCOMPARE(sp.openError(nullptr), TLinkPort::NotFound);
        QTemporaryFile plain;
        QVERIFY(plain.open());
        for (const QString &notSerial : {plain.fileName(), QString("/dev/null")}) {
            QVERIFY(!sp.open(notSerial));
            QCOMPARE(sp.openError(nullptr), TLinkPort::NotSerial);
        }
        QVERIFY(sp.read(buf, 1) == -1 && sp.write(buf, 1) == -1); // closed
        QVERIFY(sp.open(slave) && sp.setTimeouts(250, 2500) && sp.configure() == 0);
        QCOMPARE(sp.write(buf, 0), qint64(0)); // nothing to send, nothing sent
        // Every byte value goes out unchanged, in order, also when there is more than the
        // device takes at once.
        const QByteArray all = counting(256, 0).repeated(1024);
        QByteArray got;
        std::thread drain([&] {
            char b[4096];
            for (int i = 0; got.size() < all.size() && i < 5000; ++i) {
                const ssize_t r = ::read(master, b, sizeof b);
                r > 0 ? void(got.append(b, r)) : QThread::msleep(1);
            }
        });
        QCOMPARE(sp.write(u8(all), all.size()), qint64(all.size()));
        drain.join();
        QCOMPARE(got, all);
        // A read with what the other side sent: the count, what came, how long it took.
        QElapsedTimer t;
        auto read = [&](const char *sent, qint64 n, qint64 count, int from, int to,
                        const char *want = nullptr) {
            put(sent);
            t.restart();
            QCOMPARE(sp.read(buf, n), count);
            QVERIFY2(t.elapsed() >= from && t.elapsed() < to,
                     qPrintable(QString::number(t.elapsed())));
            QCOMPARE(bytes(buf, int(qMax<qint64>(0, count))), hex(want ? want : sent));
        };
        read("ff8f0005", 4, 4, 0, 200);  // the count is there: at once
        read("430278", 10, 3, 200, 900); // what came when the time-out passes
        sp.expect(6); // what the link expects next comes in with a read, for the reads after it
        read("010203040506", 2, 2, 0, 200, "0102");
        read("", 4, 4, 0, 50, "03040506");
        QVERIFY(sp.setTimeouts(1000, 2500));
        std::thread sender([&] { // bytes in pieces are collected within one read
            QThread::msleep(50), put("0102"), QThread::msleep(80), put("030405");
        });
        read("", 5, 5, 100, 800, "0102030405");
        sender.join();
        // Exclusive under every name of the device, until it is closed.
        QTemporaryDir dir;
        QVERIFY(QFile::link(slave, dir.filePath("rib")));
        QVERIFY(!other.open(slave) && !other.open(dir.filePath("rib")));
        QCOMPARE(other.openError(nullptr), TLinkPort::Busy);
        sp.close();
        QVERIFY(other.open(dir.filePath("rib")));
        other.close();
        // What comes in while the port is closed, or before it is opened anew, is dropped.
        put("50ff8f");
        QThread::msleep(20);
        QVERIFY(sp.open(slave));
        put("60");
        QThread::msleep(20);
        QVERIFY(sp.open(slave) && sp.setTimeouts(250, 2500));
        read("", 1, 0, 200, 900); // nothing, after the time-out
        ::close(keeper);
        ::close(master); // a hang-up fails the read at once
        read("", 4, -1, 0, 900);
    }

    // A name the device path cannot carry whole never reaches QSerialPort, whose lock file for
    // it, cut at the NUL, would stay behind and break every later opening.
    void serialPortRefusesName()
    {
        const QString cut = QString("q275-nul") + QChar(0) + "1";
        TSerialPort sp;
        QVERIFY(!sp.open(cut) && !TSerialPort::canOpen(cut));
        QVERIFY(!TSerialPort::candidates(cut).contains(cut));
        for (const char *lockDir : {"/var/lock", "/run/lock", "/tmp"})
            QVERIFY(!QFile::exists(QString(lockDir) + "/LCK..q275-nul"));
    }

    // "com12", "\\.\COM12" and "COM12" are one Windows port; no other name is touched.
    void normalizedName_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("normalized");
        const QString cases[][2] = {// the same Windows port under its other names
                                    {"com12", "COM12"},
                                    {"\\\\.\\COM12", "COM12"},
                                    {"\\\\.\\com3", "COM3"},
                                    // any other name as it is
                                    {"/dev/ttyUSB0", "/dev/ttyUSB0"},
                                    {"COMX", "COMX"},
                                    {"", ""},
                                    {"\\\\.\\LPT1", "\\\\.\\LPT1"},
                                    {"COM3 ", "COM3 "}};
        for (const auto &c : cases)
            QTest::newRow(qPrintable("'" + c[0] + "'")) << c[0] << c[1];
    }
    void normalizedName()
    {
        QFETCH(QString, name);
        QTEST(TSerialPort::normalizedName(name), "normalized");
    }

    // The first line of the port file, trimmed, of at most PortFile::MaxBytes read; a file that
    // is there but cannot be read is said to be so.
    void portFile_data()
    {
        QTest::addColumn<PortFileCase>("c");
        const auto add = [](const char *row, const PortFileCase &c) { QTest::newRow(row) << c; };
        // clang-format off
        add("trimmed",                    {.contents = " /dev/ttyUSB0 \r\nttyS1\n", .name = "/dev/ttyUSB0"});
        add("a first line of 10 MB",      {.contents = QByteArray(10 << 20, 'x'), .name = QString(PortFile::MaxBytes, 'x')});
        add("a folder",                   {.folder = true, .problem = "Файл Q275.ini не удалось прочитать: это папка"});
        add("absent",                     {});
        add("the per-user one",           {.userContents = "COM3\r\n", .name = "COM3"});
        add("the working folder's first", {.contents = "COM4", .userContents = "COM3", .name = "COM4"});
        // clang-format on
    }
    void portFile()
    {
        QFETCH(PortFileCase, c);
        TestSandbox box;
        QVERIFY(box.isValid() && QDir().mkpath(UserFolders::config()));
        QFile ini("Q275.ini"), user(UserFolders::config() + "/Q275.ini");
        QVERIFY(c.folder ? QDir().mkdir(ini.fileName())
                         : c.contents.isEmpty() || (ini.open(QIODevice::WriteOnly) &&
                                                    ini.write(c.contents) == c.contents.size()));
        QVERIFY(c.userContents.isEmpty() ||
                (user.open(QIODevice::WriteOnly) && user.write(c.userContents) > 0));
        ini.close(), user.close();
        QString problem = "not said";
        QCOMPARE(PortFile::read(&problem), c.name);
        QCOMPARE(problem, c.problem);
    }

    // Where there is no Q275.ini in the working folder, the per-user one is written (and
    // named with the system's separators); one in the working folder is written there.
    void portFileWritten()
    {
        TestSandbox box;
        const QString user = UserFolders::config() + "/Q275.ini";
        QVERIFY(box.isValid() && PortFile::write("DEMO") == SafeSave::Saved);
        QCOMPARE(PortFile::fileName(), QDir::toNativeSeparators(user));
        QFile ini("Q275.ini");
        QVERIFY(ini.open(QIODevice::WriteOnly));
        ini.close();
        QVERIFY(PortFile::write("COM7") == SafeSave::Saved);
        QCOMPARE(PortFile::fileName(), QString("Q275.ini"));
        QVERIFY(ini.open(QIODevice::ReadOnly) && ini.readAll() == "COM7");
        QFile kept(user);
        QVERIFY(kept.open(QIODevice::ReadOnly) && kept.readAll() == "DEMO");
    }

    // ------------------------------------------------------ the fuzz programs' inputs

    void fuzzInputs_data()
    {
        QTest::addColumn<QString>("path");
        for (const QString folder :
             {"corpus/answer", "corpus/obd", "regressions/answer", "regressions/obd"}) {
            const QFileInfoList files = QDir(Q275_FUZZ_DIR "/" + folder).entryInfoList(QDir::Files);
            QVERIFY2(!files.isEmpty(), qPrintable(folder));
            for (const QFileInfo &f : files)
                QTest::newRow(qPrintable(folder + "/" + f.fileName())) << f.filePath();
        }
    }
    void fuzzInputs()
    {
        QFETCH(QString, path);
        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray in = f.readAll();
        const auto run = path.contains("/answer/") ? fuzzAnswer : fuzzObd; // a broken rule aborts
        QCOMPARE(run(reinterpret_cast<const uint8_t *>(in.constData()), size_t(in.size())), 0);
    }
};

QTEST_GUILESS_MAIN(TstLink)
#include "tst_link.moc"
