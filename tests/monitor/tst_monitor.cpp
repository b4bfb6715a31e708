// The board information window and the trace monitor, each on a link thread whose line
// leads to a scripted board behind the RIB.
#include <QtTest>
#include <QtWidgets>

#include <atomic>
#include <memory>

#include "link/tmemoryport.h"
#include "link/tthread.h"
#include "ops/info.h"
#include "ops/trace.h"
#include "testkit.h"

// The link thread and the board behind it. The 15 s pause after an empty trace poll lasts
// until the test releases it, so that the frames on the line can be counted exactly.
struct Line {
    std::atomic<bool> pausing{false}, released{false};
    std::shared_ptr<TMemoryPort> port = std::make_shared<TMemoryPort>();
    TThread thread;
    explicit Line(TMemoryPort::Board board)
    {
        port->setResponder(TMemoryPort::rib(std::move(board)));
        thread.setPortFactory([p = port] { return p; });
        thread.setSleepFunction([this](int ms) {
            for (pausing = ms == 15000; pausing && !released;)
                QThread::msleep(1);
        });
        thread.setPort("COM1");
    }
    ~Line() { released = true; }
};

// A request frame; the board's answer with its data, or its refusal.
QByteArray req(quint8 cmd, const char *data = "")
{
    return TMemoryPort::requestFrame(cmd, hex(data));
}
QByteArray ans(quint8 cmd, const char *data)
{
    return TMemoryPort::answerFrame(cmd, hex(data));
}
const QByteArray refusal = TMemoryPort::answerFrame(0x73, hex("01"));
const char identity[] = "020F008012340123456789ABCDEF0FF00010";
const char notSupported[] = "Не поддерживается";
const char rest[] = "A6A7A8A9AAABACADAEAFB0B1B2B3B4B5"; // board data not the terminal's to read
// The board data write: the six bytes the window edits, then the rest as it was read.
QByteArray boardWrite(const char *head)
{
    return TMemoryPort::requestFrame(0x81, hex(head) + hex(rest));
}

// The information window: the identity answers of the board on successive reads, the
// first six bytes of its board data, the mode, the edits, what the window then shows and
// what "Записать" sends.
struct InfoCase {
    QByteArrayList idents;
    QByteArray boardData;
    int mode;
    QList<Prop> edits = {}, shown = {};
    QByteArrayList frames = {};
};
// The trace monitor: the board's answers to the polls in turn (none left: no trace data),
// the steps, the log after the time stamps (newest first), the frames on the line and the
// run button's text (its C is Latin, as the program has it).
using TraceStep = std::function<void(Line &, Trace *)>;
struct TraceCase {
    QByteArrayList polls;
    QList<TraceStep> steps;
    QStringList lines = {};
    QByteArrayList frames = {};
    QString run = {};
};
Q_DECLARE_METATYPE(InfoCase)
Q_DECLARE_METATYPE(TraceCase)

class TstMonitor : public QObject
{
    Q_OBJECT

    // Trace steps: a check box or bRun clicked; the board has run out of records; a record
    // that was on its way arrives; "Cтоп", after which the board's pause ends.
    static TraceStep click(const char *name)
    {
        return [=](Line &, Trace *w) { w->findChild<QAbstractButton *>(name)->click(); };
    }
    static TraceStep idle()
    {
        return [](Line &line, Trace *) {
            QVERIFY(waitFor([&] { return line.pausing.load(); }, 5000));
        };
    }
    static TraceStep late()
    {
        return [](Line &line, Trace *) {
            quint8 rec[4] = {3, 1, 0, 0}; // I2C, two data bytes
            emit line.thread.traceRdy(rec);
        };
    }
    static TraceStep stop()
    {
        return [](Line &line, Trace *w) {
            click("bRun")(line, w);
            line.released = true;
        };
    }
    // The trace window after the steps.
    QPointer<Trace> openTrace(Line &line, const QList<TraceStep> &steps)
    {
        QPointer<Trace> w = new Trace(nullptr, &line.thread);
        for (const TraceStep &step : steps)
            step(line, w);
        return w;
    }
    // The frames on the line once as many as expected are there.
    static QByteArrayList written(Line &line, const QByteArrayList &frames)
    {
        waitFor([&] { return line.port->writes().size() >= frames.size(); }, 5000);
        QTest::qWait(50);
        return line.port->writes();
    }

private slots:
    void info_data()
    {
        QTest::addColumn<InfoCase>("c");
        const auto add = [](const char *row, const InfoCase &c) { QTest::newRow(row) << c; };
        const auto date = [](int y, int m, int d) { return QVariant(QDate(y, m, d)); };
        const QByteArrayList known = {ans(0x79, identity)};
        // clang-format off
        add("mode 1", {.idents = known, .boardData = hex("0700DC070305"), .mode = 1,
            .shown = {{"sSoft", "text", "2.15"},          {"sNum", "text", "0007"},
                      {"sDate", "text", "05.03.2012"},    {"sChipID", "text", "0x080"},
                      {"sChipRev", "text", "0x1234"},     {"spinNum", "visible", false},
                      {"eData", "visible", false},        {"bSave", "visible", false},
                      {"sEsn", "text", "0x123456789ABCDEFFF0010"}}});
        add("mode 3, edits shown at once", {
            .idents = known, .boardData = hex("0700DC070305"), .mode = 3,
            .edits = {{"spinNum", "value", 42},           {"eData", "date", date(2013, 11, 9)}},
            .shown = {{"sNum", "text", "0042"},           {"sDate", "text", "09.11.2013"},
                      {"bSave", "visible", true}},
            .frames = {boardWrite("2A00DD070B09")}});
        add("number above the spin box kept", {
            .idents = known, .boardData = hex("E110DC070305"), .mode = 3,
            .edits = {{"eData", "date", date(2020, 2, 29)}},
            .shown = {{"spinNum", "value", 1000},         {"sNum", "text", "4321"}},
            .frames = {boardWrite("E110E407021D")}});
        add("date that is no date kept", {
            .idents = known, .boardData = hex("0700DC070D28"), .mode = 10,
            .edits = {{"spinNum", "value", 8}},
            .shown = {{"sDate", "text", "40.13.2012"}},
            .frames = {boardWrite("0800DC070D28")}});
        // A board without identity, and board data the thread still holds from another
        // board: never written back.
        add("version 0", {.idents = {ans(0x79, "0009008012340123456789ABCDEF0FF00010")},
            .boardData = hex("0700DC070305"), .mode = 10,
            .shown = {{"sSoft", "text", "0.9"},           {"sNum", "text", notSupported},
                      {"sDate", "text", notSupported},    {"sChipID", "text", notSupported},
                      {"sChipRev", "text", notSupported}, {"sEsn", "text", notSupported}},
            .frames = {TMemoryPort::requestFrame(0x81, QByteArray(22, 0))}});
        add("refused after another board", {
            .idents = {ans(0x79, identity), refusal}, .boardData = hex("0700DC070305"), .mode = 10,
            .edits = {{"spinNum", "value", 5},            {"eData", "date", date(2015, 6, 1)}},
            .shown = {{"sSoft", "text", "0.0"},           {"sNum", "text", "0005"},
                      {"sEsn", "text", notSupported}},
            .frames = {req(0x81, "0500DF07060100000000000000000000000000000000")}});
        // clang-format on
    }
    void info()
    {
        QFETCH(InfoCase, c);
        QByteArrayList idents = c.idents;
        Line line([&](quint8 cmd, const QByteArray &) {
            if (cmd == 0x79)
                return idents.takeFirst();
            if (cmd == 0x80)
                return TMemoryPort::answerFrame(cmd, c.boardData + hex(rest));
            return TMemoryPort::answerFrame(cmd, newRecord());
        });
        for (int i = c.idents.size(); i > 0; --i)
            line.thread.postRead();
        QVERIFY(line.thread.wait(5000));
        line.port->clearRecord();
        std::unique_ptr<Info> w(new Info(&line.thread, quint8(c.mode)));
        w->show();
        for (const Prop &e : c.edits)
            w->findChild<QObject *>(e.control)->setProperty(e.property, e.value);
        QCOMPARE(propsOf(w.get(), c.shown), propsWanted(c.shown));
        w->findChild<QPushButton *>("bSave")->click();
        QVERIFY(line.thread.wait(5000));
        QCOMPARE(line.port->writes(), c.frames);
    }

    void trace_data()
    {
        QTest::addColumn<TraceCase>("c");
        const auto add = [](const char *row, const TraceCase &c) { QTest::newRow(row) << c; };
        const QList<TraceStep> all = {click("chkRad"), click("chkI2C"), click("chkRxP"),
                                      click("chkTxP")};
        const QByteArray poll = req(0x78), off = req(0x77, "00");
        // clang-format off
        add("every channel, newest on top, stop", {
            .polls = {ans(0x78, "0001"), ans(0x78, "0102"), ans(0x78, "020F10"), ans(0x78, "03FF")},
            .steps = all + QList<TraceStep>{click("bRun"), idle(), stop()},
            .lines = {"-> PROIS TxD=>0xFF; ", "-> PROIS RxD=>0x0F; 0x10; ", "-> I2C TxD=>0x02; ",
                      "-> RAD->Q275=>0x01; "},
            .frames = {req(0x77, "0F"), poll, poll, poll, poll, poll, off},
            .run = "Cтарт"});
        add("record without data, channel error", {
            .polls = {ans(0x78, "01"), ans(0x78, "071122"), ans(0x78, "0244")},
            .steps = {click("chkRxP"), click("bRun"), idle()},
            .lines = {"-> PROIS RxD=>0x44; ", "-> ошибка канала=7 ; n=2"},
            .frames = {req(0x77, "04"), poll, poll, poll, poll},
            .run = "Cтоп"});
        add("link error", {.polls = {refusal}, .steps = {click("chkTxP"), click("bRun")},
            .frames = {req(0x77, "08"), poll, off}, .run = "Cтарт"});
        add("late record", {
            .polls = {}, .steps = {click("chkI2C"), click("bRun"), idle(), stop(), late()},
            .frames = {req(0x77, "02"), poll, off}, .run = "Cтарт"});
        // clang-format on
    }
    // The lines of the monitor's log as they stand, and once what came in has had the time to
    // be shown.
    static QStringList logLines(Trace *w)
    {
        return w->findChild<QTextEdit *>("textLog")->toPlainText().split('\n', Qt::SkipEmptyParts);
    }
    static QStringList shown(Trace *w)
    {
        QTest::qWait(Trace::ShowEveryMs * 5 / 4 + 50); // a coarse timer may be a little late
        return logLines(w);
    }
    void trace()
    {
        QFETCH(TraceCase, c);
        QByteArrayList polls = c.polls;
        Line line([&](quint8 cmd, const QByteArray &) {
            return cmd != 0x78       ? ans(cmd, "30")
                   : polls.isEmpty() ? ans(cmd, "")
                                     : polls.takeFirst();
        });
        std::unique_ptr<Trace> w(openTrace(line, c.steps));
        QCOMPARE(written(line, c.frames), c.frames);
        QStringList got = shown(w.get());
        got.replaceInStrings(QRegularExpression("^\\d\\d:\\d\\d:\\d\\d"), "");
        QCOMPARE(got, c.lines);
        QCOMPARE(w->findChild<QPushButton *>("bRun")->text(), c.run);
        QCOMPARE(w->findChild<QGroupBox *>("boxCh")->isEnabled(), c.run != "Cтоп");
    }

    // Closing the monitor while it traces switches the board's trace off.
    void traceClosing_data()
    {
        QTest::addColumn<TraceCase>("c");
        QTest::newRow("tracing") << TraceCase{
            .polls = {},
            .steps = {click("chkRxP"), click("bRun"), idle()},
            .frames = {req(0x77, "04"), req(0x78), req(0x77, "00")}};
        QTest::newRow("idle") << TraceCase{.polls = {}, .steps = {click("chkRxP")}};
    }
    void traceClosing()
    {
        QFETCH(TraceCase, c);
        Line line(
            [&](quint8 cmd, const QByteArray &) { return ans(cmd, cmd == 0x78 ? "" : "30"); });
        delete openTrace(line, c.steps);
        line.released = true;
        QCOMPARE(written(line, c.frames), c.frames);
    }

    // The first record after a quiet spell is shown at once, a stream's records together a
    // moment later; lines beyond the limit drop off the bottom, also from the middle of what
    // was shown together; "Сброс" empties the log. With no channel the board traces nothing.
    void traceLimit()
    {
        Line line([&](quint8 cmd, const QByteArray &) { return ans(cmd, "30"); });
        std::unique_ptr<Trace> w(openTrace(line, {click("bRun")}));
        const auto records = [&](int from, int to) {
            for (int i = from; i < to; ++i) {
                quint8 rec[4] = {3, 1, quint8(i >> 8), quint8(i)}; // I2C, two data bytes
                emit line.thread.traceRdy(rec);
            }
        };
        records(0, 2);
        QCOMPARE(logLines(w.get()).size(), 1);
        w->findChild<QPushButton *>("bReset")->click();
        QVERIFY(logLines(w.get()).isEmpty());
        records(2, 5);
        QCOMPARE(shown(w.get()).size(), 3);
        records(5, 5 + Trace::MaxLines - 1);
        QCOMPARE(written(line, {req(0x77, "00")}), QByteArrayList{req(0x77, "00")});
        const QStringList got = shown(w.get());
        QCOMPARE(got.size(), int(Trace::MaxLines));
        QCOMPARE(got.first().mid(8), "-> I2C TxD=>0x13; 0x8B; ");
        QCOMPARE(got.last().mid(8), "-> I2C TxD=>0x00; 0x04; ");
        QCOMPARE(w->findChild<QPushButton *>("bRun")->text(), "Cтоп");
    }
};

QTEST_MAIN(TstMonitor)
#include "tst_monitor.moc"
