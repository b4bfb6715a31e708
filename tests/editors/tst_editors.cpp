// The three channel editors: what they show for a record and store back, their defaults,
// enable rules and the window for a board without identity, and live control as it
// reaches the line.
#include <QtTest>
#include <QtWidgets>

#include <functional>
#include <memory>

#include "config/boardidentity.h"
#include "editors/tinprx.h"
#include "editors/tinptx.h"
#include "editors/toutput.h"
#include "link/tmemoryport.h"
#include "link/tthread.h"
#include "testkit.h"

namespace
{
// The three editors, each on a thread and a record, in a mode.
using Editor = TEditor *(*)(TThread *, TQ275 &, int mode);
TEditor *Mic(TThread *t, TQ275 &r, int mode)
{
    return new TInpTx(t, &r, r.mic, mode);
}
TEditor *Rx(TThread *t, TQ275 &r, int mode)
{
    return new TInpRx(t, &r, r.rx, mode);
}
TEditor *Out(TThread *t, TQ275 &r, int mode)
{
    return new TOutput(t, r.rx + 6, r.mic + 6, mode);
}

// One user step on an editor and the record it edits.
using Step = std::function<void(QPointer<TEditor> &, TQ275 &)>;

// What a record fills the controls with, and what "Сохранить" then stores (the state of
// every switch shows in the stored bytes). The window is opened on all 0xFF and filled with the
// record, so that every control has to move.
struct FillCase {
    Editor editor;
    bool identity = true; // the board told its identity
    QByteArray record;
    QList<Step> steps = {};
    QList<Prop> shown = {};
    QByteArray stored;
};
// Which of the groups that hang on the amplifier can be used.
struct RulesCase {
    Editor editor;
    QByteArray record;
    QList<Step> steps = {};
    QStringList enabled = {};
};
// Live control: the steps after "Контроль" and the request frames that reach the line.
struct LiveCase {
    Editor editor;
    QByteArray record;
    QList<Step> steps = {};
    QByteArrayList frames = {};
};
} // namespace
Q_DECLARE_METATYPE(FillCase)
Q_DECLARE_METATYPE(RulesCase)
Q_DECLARE_METATYPE(LiveCase)

class TstEditors : public QObject
{
    Q_OBJECT

    // A record from "switching rx-block mic-block" in hex (1 + 8 + 8 bytes); the last three
    // bytes are not the editors' and must come back as they are.
    static QByteArray R(const char *text) { return hex(text) + hex("5AA53C"); }
    // A codec frame with its (register, value) pairs; a channel control frame.
    static QByteArray codec(std::initializer_list<std::pair<int, int>> pairs)
    {
        QByteArray data(1, char(pairs.size()));
        for (const auto &p : pairs)
            data += char(p.first), data += char(p.second);
        return TMemoryPort::requestFrame(0x82, data);
    }
    static QByteArray ctl(quint8 cmd, quint8 switching)
    {
        return TMemoryPort::requestFrame(cmd, QByteArray(1, char(switching)));
    }

    // The steps: set a dial, check a box or a radio button, click a button, let the 250 ms
    // run out and the changes go, wait 100 ms.
    static Step set(const char *control, int value)
    {
        return [=](QPointer<TEditor> &ed, TQ275 &) {
            ed->findChild<QObject *>(control)->setProperty("value", value);
        };
    }
    static Step check(const char *control, bool on)
    {
        return [=](QPointer<TEditor> &ed, TQ275 &) {
            ed->findChild<QObject *>(control)->setProperty("checked", on);
        };
    }
    static Step click(const char *control)
    {
        return [=](QPointer<TEditor> &ed, TQ275 &) {
            ed->findChild<QAbstractButton *>(control)->click();
        };
    }
    static Step settle()
    {
        return [](QPointer<TEditor> &ed, TQ275 &) {
            QTest::qWait(TEditor::LiveDelay);
            QVERIFY(waitFor([&] { return !ed || ed->dirtyMask() == 0; }, 3000));
        };
    }
    static Step pause()
    {
        return [](QPointer<TEditor> &, TQ275 &) { QTest::qWait(100); };
    }

    // The board behind the RIB: it tells its identity on a read and accepts every setting.
    TThread thread;
    std::shared_ptr<TMemoryPort> port = std::make_shared<TMemoryPort>();
    TThread unread; // a terminal that has read no board: no identity

    // The editor on the record; the main window closes the window that asks to be closed.
    TEditor *open(Editor editor, TQ275 &r, bool identity = true, int mode = 1)
    {
        TEditor *ed = editor(identity ? &thread : &unread, r, mode);
        connect(ed, &TEditor::reqClose, ed, &QWidget::close);
        return ed;
    }
    static TQ275 record(const QByteArray &b) { return *reinterpret_cast<const TQ275 *>(b.data()); }
    static void run(QPointer<TEditor> &ed, TQ275 &r, const QList<Step> &steps)
    {
        ed->show();
        for (const Step &step : steps)
            step(ed, r);
    }
    // The frames that reached the line, in hex.
    QStringList written()
    {
        [&] { QVERIFY(thread.wait(5000)); }();
        return inHex(port->writes());
    }
    static QStringList inHex(const QByteArrayList &frames)
    {
        QStringList out;
        for (const QByteArray &f : frames)
            out << f.toHex(' ');
        return out;
    }

private slots:
    void init() { port->clearRecord(); }
    void initTestCase()
    {
        port->setResponder(TMemoryPort::rib([](quint8 cmd, const QByteArray &) {
            if (cmd == 0x79)
                return TMemoryPort::answerFrame(cmd, hex("020F008012340123456789ABCDEF0FF00010"));
            if (cmd == 0x80)
                return TMemoryPort::answerFrame(cmd, QByteArray(22, 0x11));
            return TMemoryPort::answerFrame(cmd, cmd == 0x76 ? newRecord() : QByteArray("0"));
        }));
        thread.setPortFactory([p = port] { return p; });
        thread.setPort("COM1");
        thread.setMode(1);
        thread.postRead();
        QVERIFY(thread.wait(5000));
        quint8 id[BoardIdentity::IdentSize];
        thread.getIdent(id);
        QCOMPARE(id[0], quint8(2)); // the board's software version: live control is offered
    }

    void fillAndStore_data()
    {
        QTest::addColumn<FillCase>("c");
        const char *newRec = "0F 040073648F418000 001673648F418000";
        QTest::newRow("mic fields")
            << FillCase{.editor = Mic,
                        .record = R("AA 040073648F418000 052AA6506BB58000"),
                        .shown = {{"spinAtt", "value", -7.5},
                                  {"spinGain", "value", 21},
                                  {"spinAgcLvl", "value", -10},
                                  {"lineAttack", "text", "11"},
                                  {"lineDecay", "text", "400"},
                                  {"spinAgcGain", "value", 20},
                                  {"lineNoiseLvl", "text", "-70"},
                                  {"lineDetSignal", "text", "8"},
                                  {"lineDetNoise", "text", "960"},
                                  {"boxOff", "visible", true}},
                        .stored = R("AA 040073648F418000 052AA6506BB58000")};
        QTest::newRow("mic limits, both sources")
            << FillCase{.editor = Mic,
                        .record = R("F5 040073648F418000 0CFF0CFFC0008000"),
                        .shown = {{"spinAtt", "value", -12},
                                  {"spinGain", "value", 59.5},
                                  {"spinAgcLvl", "value", -5.5},
                                  {"lineNoiseLvl", "text", "Откл."}},
                        .stored = R("F0 040073648F418000 08F70CEEC0008000")};
        QTest::newRow("mic without own switching bits")
            << FillCase{.editor = Mic,
                        .record = R("5A 040073648F418000 001673648F418000"),
                        .stored = R("5A 040073648F418000 001673648F418000")};
        QTest::newRow("mic reset keeps second sources")
            << FillCase{.editor = Mic,
                        .record = R("A0 040073648F418000 1111111111118000"),
                        .steps = {click("bReset")},
                        .stored = R("A0 040073648F418000 001673648F418000")};
        QTest::newRow("rx fields")
            << FillCase{.editor = Rx,
                        .record = R("79 03055722D27A9314 001673648F418000"),
                        .shown = {{"spinAtt", "value", -4.5}, {"lineNoiseLvl", "text", "-46"}},
                        .stored = R("71 03055722D27A9314 001673648F418000")};
        QTest::newRow("rx 0x48, off group unchecked")
            << FillCase{.editor = Rx,
                        .record = R("48 040073648F418000 001673648F418000"),
                        .steps = {check("boxOff", false)},
                        .shown = {{"chkCosOn", "checked", false},
                                  {"chkRxOn", "checked", false},
                                  {"chkCosOff", "checked", false},
                                  {"chkRxOff", "checked", true}},
                        .stored = R("00 040073648F418000 001673648F418000")};
        const QList<Prop> noIdentity = {{"boxOn", "title", "Управление каналом по сигналу"},
                                        {"boxOff", "visible", false},
                                        {"bTest", "enabled", false}};
        QTest::newRow("mic without identity")
            << FillCase{.editor = Mic,
                        .identity = false,
                        .record = R(newRec),
                        .shown = noIdentity + QList<Prop>{{"chkPttOn", "visible", true},
                                                          {"chkTxOn", "visible", false}},
                        .stored = R(newRec)};
        QTest::newRow("rx without identity")
            << FillCase{.editor = Rx,
                        .identity = false,
                        .record = R(newRec),
                        .shown = noIdentity + QList<Prop>{{"chkCosOn", "visible", true},
                                                          {"chkRxOn", "visible", false}},
                        .stored = R(newRec)};
        QTest::newRow("output without identity")
            << FillCase{.editor = Out,
                        .identity = false,
                        .record = R(newRec),
                        .steps = {click("bTest"), set("dialTx8", 3), settle()},
                        .shown = {{"bTest", "enabled", false}, {"lineTx8", "text", "-1.5"}},
                        .stored = R("0F 040073648F418000 001673648F418003")};
        QTest::newRow("output levels")
            << FillCase{.editor = Out,
                        .record = R("0F 040073648F418AA6 001673648F41E8F5"),
                        .shown = {{"lineRx3", "text", "-5"},
                                  {"lineRx8", "text", "-19.1"},
                                  {"lineTx3", "text", "-52.2"},
                                  {"lineTx8", "text", "-78.3"}},
                        .stored = R("0F 040073648F418AA6 001673648F41E8F5")};
        QTest::newRow("output off and limited")
            << FillCase{.editor = Out,
                        .record = R("0F 040073648F417F00 001673648F4125FF"),
                        .shown = {{"lineRx3", "text", "Откл."},
                                  {"lineRx8", "text", "0"},
                                  {"lineTx3", "text", "-18.5"},
                                  {"lineTx8", "text", "Откл."}},
                        .stored = R("0F 040073648F417600 001673648F4125F6")};
        QTest::newRow("output reset")
            << FillCase{.editor = Out,
                        .record = R("0F 040073648F410599 001673648F4144F0"),
                        .steps = {click("bReset")},
                        .shown = {{"lineRx8", "text", "0"}, {"lineTx3", "text", "0"}},
                        .stored = R(newRec)};
    }
    void fillAndStore()
    {
        QFETCH(FillCase, c);
        TQ275 r = record(R("FF FFFFFFFFFFFFFFFF FFFFFFFFFFFFFFFF"));
        QPointer<TEditor> ed = open(c.editor, r, c.identity);
        QSignalSpy closing(ed.data(), &TEditor::reqClose);
        r = record(c.record);
        ed->Fill();
        run(ed, r, c.steps);
        QCOMPARE(propsOf(ed, c.shown), propsWanted(c.shown));
        ed->findChild<QPushButton *>("bSave")->click();
        QCOMPARE(QList<QVariantList>(closing), QList<QVariantList>{QVariantList{true}});
        QCOMPARE(bytes(r.bytes(), 20).toHex(' '), c.stored.toHex(' '));
        QCOMPARE(written(), QStringList()); // nothing reached the line
        delete ed;
    }

    // Constant gain, AGC, and the amplifier that holds them both; only the receiver's
    // attenuator follows the amplifier.
    void enableRules_data()
    {
        QTest::addColumn<RulesCase>("c");
        const QByteArray newRec = R("0F 040073648F418000 001673648F418000");
        QTest::newRow("to AGC") << RulesCase{
            .editor = Mic,
            .record = newRec,
            .steps = {click("radioAgc")},
            .enabled = {"boxLine1", "radioPga", "checkClip", "boxAgcLvl", "boxAgcGain", "tabAgc"}};
        QTest::newRow("to AGC and back")
            << RulesCase{.editor = Mic,
                         .record = newRec,
                         .steps = {click("radioAgc"), click("radioPga")},
                         .enabled = {"boxLine1", "radioPga", "boxGain"}};
        QTest::newRow("mic amplifier off in AGC")
            << RulesCase{.editor = Mic,
                         .record = R("0F 040073648F418000 0096F3648F418000"),
                         .enabled = {"boxLine1"}};
        QTest::newRow("rx amplifier off")
            << RulesCase{.editor = Rx, .record = R("0F 048073648F418000 001673648F418000")};
        QTest::newRow("rx amplifier off and on in AGC") << RulesCase{
            .editor = Rx,
            .record = R("0F 0400F3648F418000 001673648F418000"),
            .steps = {check("boxAmp", false), check("boxAmp", true)},
            .enabled = {"boxAtt", "radioPga", "checkClip", "boxAgcLvl", "boxAgcGain", "tabAgc"}};
    }
    void enableRules()
    {
        QFETCH(RulesCase, c);
        TQ275 r = record(c.record);
        QPointer<TEditor> ed = open(c.editor, r);
        run(ed, r, c.steps);
        QStringList on;
        for (const char *name : {"boxLine1", "boxAtt", "radioPga", "boxGain", "checkClip",
                                 "boxAgcLvl", "boxAgcGain", "tabAgc"})
            if (auto *w = ed->findChild<QWidget *>(name); w && w->isEnabled())
                on << name;
        QCOMPARE(on, c.enabled);
        delete ed;
    }

    // Each row enters live control ("Контроль") first.
    void liveControl_data()
    {
        QTest::addColumn<LiveCase>("c");
        const QByteArray newRec = R("0F 040073648F418000 001673648F418000");
        const QByteArray micAgc = R("0F 040073648F418000 0016F3648F418000");
        const QByteArray rxAgc = R("0F 0400F3648F418000 001673648F418000");
        const QByteArray micAgcOn = codec({{2, 0x00},
                                           {3, 0x81},
                                           {4, 0x30},
                                           {5, 0x03},
                                           {6, 0x90},
                                           {11, 0x01},
                                           {8, 0xC0},
                                           {22, 0x7C},
                                           {30, 0x64},
                                           {31, 0x8F},
                                           {35, 0x41}});
        const QByteArray rxAgcOn = codec({{2, 0x00},
                                          {3, 0x81},
                                          {4, 0x30},
                                          {5, 0x03},
                                          {6, 0x90},
                                          {11, 0x01},
                                          {8, 0xC0},
                                          {19, 0x7C},
                                          {27, 0x64},
                                          {28, 0x8F},
                                          {34, 0x41}});
        const QList<Step> every = {set("dialDetSignal", 3), check("radioNoiseGate_3", true),
                                   set("dialDecay", 0),     set("dialAgcGain", 10),
                                   set("dialGain", 5),      set("dialAtt", 2)};
        QTest::newRow("mic amplifier off, on") << LiveCase{
            .editor = Mic,
            .record = newRec,
            .steps = {check("boxAmp", false), settle(), check("boxAmp", true), settle()},
            .frames = {codec({{18, 0xFF}}), codec({{16, 0x96}}), codec({{18, 0xF0}}),
                       codec({{16, 0x16}})}};
        QTest::newRow("rx amplifier off, on") << LiveCase{
            .editor = Rx,
            .record = newRec,
            .steps = {check("boxAmp", false), settle(), check("boxAmp", true), settle()},
            .frames = {codec({{17, 0xFF}}), codec({{15, 0x80}}), codec({{17, 0x4F}}),
                       codec({{15, 0x00}})}};
        QTest::newRow("mic AGC and back") << LiveCase{
            .editor = Mic,
            .record = newRec,
            .steps = {click("radioAgc"), settle(), click("radioPga"), settle()},
            .frames = {micAgcOn, codec({{29, 0xF3}}), codec({{22, 0x78}}), codec({{29, 0x73}})}};
        QTest::newRow("rx AGC and back") << LiveCase{
            .editor = Rx,
            .record = newRec,
            .steps = {click("radioAgc"), settle(), click("radioPga"), settle()},
            .frames = {rxAgcOn, codec({{26, 0xF3}}), codec({{19, 0x78}}), codec({{26, 0x73}})}};
        QTest::newRow("mic every group")
            << LiveCase{.editor = Mic,
                        .record = micAgc,
                        .steps = every + QList<Step>{click("chkTxOn"), settle()},
                        .frames = {ctl(0x84, 0x2E), codec({{18, 0xF2}}), codec({{16, 0x05}}),
                                   codec({{29, 0xF0}}), codec({{30, 0x14}}), codec({{31, 0xCF}}),
                                   codec({{35, 0x43}})}};
        QTest::newRow("rx every group")
            << LiveCase{.editor = Rx,
                        .record = rxAgc,
                        .steps = every + QList<Step>{click("chkRxOn"), settle()},
                        .frames = {ctl(0x83, 0x1D), codec({{17, 0x2F}}), codec({{15, 0x05}}),
                                   codec({{26, 0xF0}}), codec({{27, 0x14}}), codec({{28, 0xCF}}),
                                   codec({{34, 0x43}})}};
        QTest::newRow("mic attenuator, amplifier off")
            << LiveCase{.editor = Mic,
                        .record = R("0F 040073648F418000 009673648F418000"),
                        .steps = {set("dialAtt", 3), settle()},
                        .frames = {codec({{18, 0xF3}})}};
        // Each move restarts the 250 ms, so moves 100 ms apart go out once, after the last.
        QTest::newRow("moves within 250 ms")
            << LiveCase{.editor = Mic,
                        .record = micAgc,
                        .steps = {set("dialAgcLvl", 2), pause(), set("dialAttack", 1), pause(),
                                  set("dialDecay", 0), pause(), set("dialAgcLvl", 3), settle()},
                        .frames = {codec({{29, 0xB4}})}};
        QTest::newRow("reset sends the changed groups")
            << LiveCase{.editor = Mic,
                        .record = R("2A 040073648F418000 051673208F428000"),
                        .steps = {click("bReset"), settle()},
                        .frames = {ctl(0x84, 0x2E), codec({{18, 0xF0}}), codec({{30, 0x64}}),
                                   codec({{35, 0x41}})}};
        // The board heard "AGC on" and "amplifier off": the reset must switch both back.
        QTest::newRow("reset after live switches")
            << LiveCase{.editor = Mic,
                        .record = newRec,
                        .steps = {click("radioAgc"), settle(), check("boxAmp", false), settle(),
                                  click("bReset"), settle()},
                        .frames = {micAgcOn, codec({{29, 0xF3}}), codec({{18, 0xFF}}),
                                   codec({{16, 0x96}}), codec({{18, 0xF0}}), codec({{22, 0x78}}),
                                   codec({{16, 0x16}}), codec({{29, 0x73}})}};
        QTest::newRow("mic noise threshold")
            << LiveCase{.editor = Mic,
                        .record = newRec,
                        .steps = {set("dialNoiseLvl", 5), settle()},
                        .frames = {codec({{31, 0x8B}})}};
        QTest::newRow("noise gate 1 dB after off")
            << LiveCase{.editor = Mic,
                        .record = R("0F 040073648F418000 0016F364CF418000"),
                        .steps = {click("radioNoiseGate_0"), settle()},
                        .frames = {codec({{31, 0x0F}})}};
        QTest::newRow("mic switching from none")
            << LiveCase{.editor = Mic,
                        .record = R("0A 040073648F418000 001673648F418000"),
                        .steps = {click("chkPttOn"), settle(), check("boxOff", true), settle(),
                                  click("chkPttOff"), settle()},
                        .frames = {ctl(0x84, 0x0B), ctl(0x84, 0x0B), ctl(0x84, 0x0F)}};
        QTest::newRow("rx switching from none")
            << LiveCase{.editor = Rx,
                        .record = R("05 040073648F418000 001673648F418000"),
                        .steps = {click("chkRxOn"), settle(), check("boxOff", true), settle(),
                                  click("chkRxOff"), settle()},
                        .frames = {ctl(0x83, 0x15), ctl(0x83, 0x15), ctl(0x83, 0x55)}};
        QTest::newRow("output rows in order")
            << LiveCase{.editor = Out,
                        .record = newRec,
                        .steps = {set("dialTx3", 6), settle(), set("dialTx8", 7), set("dialTx3", 5),
                                  set("dialRx8", 5), check("boxRx3", false), settle()},
                        .frames = {codec({{63, 0x86}}), codec({{60, 0x00}}), codec({{46, 0x05}}),
                                   codec({{63, 0x85}}), codec({{49, 0x07}})}};
        QTest::newRow("output microphone off at pin 8")
            << LiveCase{.editor = Out,
                        .record = R("0F 040073648F418000 001673648F41808C"),
                        .steps = {check("boxTx8", false), settle()},
                        .frames = {codec({{49, 0x0C}})}};
        QTest::newRow("leaving live control") << LiveCase{
            .editor = Mic,
            .record = newRec,
            .steps = {set("dialGain", 40), click("bTest"), set("dialGain", 41), settle()}};
        QTest::newRow("save within 250 ms")
            << LiveCase{.editor = Mic,
                        .record = newRec,
                        .steps = {set("dialGain", 50), click("bSave"), settle()}};
        QTest::newRow("close within 250 ms")
            << LiveCase{.editor = Out,
                        .record = newRec,
                        .steps = {set("dialRx3", 50), click("bClose"), settle()}};
    }
    void liveControl()
    {
        QFETCH(LiveCase, c);
        TQ275 r = record(c.record);
        QPointer<TEditor> ed = open(c.editor, r);
        run(ed, r, QList<Step>{click("bTest")} + c.steps);
        QCOMPARE(written(), inHex(c.frames));
        delete ed;
    }

    // Mode zero: each editor writes its defaults into the bytes it was given, OR-ing its
    // switching bits, and closes unseen.
    void defaults()
    {
        TQ275 r = record(hex("F0") + QByteArray(19, '\xEE'));
        QList<QPointer<TEditor>> eds = {open(Rx, r, true, 0), open(Mic, r, true, 0),
                                        open(Out, r, true, 0)};
        QCOMPARE(bytes(r.bytes(), 20), hex("FF040073648F418000001673648F418000EEEEEE"));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        for (const QPointer<TEditor> &e : eds)
            QVERIFY(e.isNull());
    }

    // A typed AGC level snaps to its band; each step of the spin box reaches the next band.
    void agcLevelTyping()
    {
        TQ275 r = record(R("0F 040073648F418000 0016F3648F418000"));
        std::unique_ptr<TEditor> ed(open(Mic, r, true));
        ed->show();
        auto *spin = ed->findChild<QDoubleSpinBox *>("spinAgcLvl");
        auto *dial = ed->findChild<QDial *>("dialAgcLvl");
        dial->setValue(2);
        spin->selectAll();
        QTest::keyClicks(spin, "-21");
        QList<double> got = {spin->value(), double(dial->value())};
        for (int i = 0; i < 7; ++i) {
            spin->stepUp();
            got << spin->value() << dial->value();
        }
        QCOMPARE(got,
                 QList<double>({-24, 7, -20, 6, -17, 5, -14, 4, -12, 3, -10, 2, -8, 1, -5.5, 0}));
    }
};

QTEST_MAIN(TstEditors)
#include "tst_editors.moc"
