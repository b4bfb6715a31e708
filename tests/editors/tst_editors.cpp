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
const Editor Mic = [](TThread *t, TQ275 &r, int m) -> TEditor * {
    return new TInpTx(t, &r, r.mic, m);
};
const Editor Rx = [](TThread *t, TQ275 &r, int m) -> TEditor * {
    return new TInpRx(t, &r, r.rx, m);
};
const Editor Out = [](TThread *t, TQ275 &r, int m) -> TEditor * {
    return new TOutput(t, r.rx + 6, r.mic + 6, m);
};

// One user step on an editor.
using Step = std::function<void(QPointer<TEditor> &)>;

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
    // A codec frame with its (register, value) pairs, or with one; a channel control frame.
    using Pairs = QList<std::pair<int, int>>;
    static QByteArray codec(const Pairs &pairs)
    {
        QByteArray data(1, char(pairs.size()));
        for (const auto &p : pairs)
            data += char(p.first), data += char(p.second);
        return TMemoryPort::requestFrame(0x82, data);
    }
    static QByteArray reg(int r, int value) { return codec({{r, value}}); }
    static QByteArray ctl(quint8 cmd, quint8 switching)
    {
        return TMemoryPort::requestFrame(cmd, QByteArray(1, char(switching)));
    }

    // The steps: set a dial, check a box or a radio button, click a button, let the 250 ms
    // run out and the changes go, wait 100 ms.
    static Step put(const char *control, const char *property, const QVariant &value)
    {
        return [=](QPointer<TEditor> &ed) {
            ed->findChild<QObject *>(control)->setProperty(property, value);
        };
    }
    static Step set(const char *control, int value) { return put(control, "value", value); }
    static Step check(const char *control, bool on) { return put(control, "checked", on); }
    static Step click(const char *control)
    {
        return [=](QPointer<TEditor> &ed) { ed->findChild<QAbstractButton *>(control)->click(); };
    }
    static Step settle()
    {
        return [](QPointer<TEditor> &ed) {
            QTest::qWait(TEditor::LiveDelay);
            QVERIFY(waitFor([&] { return !ed || ed->dirtyMask() == 0; }, 3000));
        };
    }
    static Step pause()
    {
        return [](QPointer<TEditor> &) { QTest::qWait(100); };
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
    static void run(QPointer<TEditor> &ed, const QList<Step> &steps)
    {
        ed->show();
        for (const Step &step : steps)
            step(ed);
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
        const auto add = [](const char *row, const FillCase &c) { QTest::newRow(row) << c; };
        const QByteArray newRec = R("0F 040073648F418000 001673648F418000");
        const QList<Prop> noIdentity = {{"boxOn", "title", "Управление каналом по сигналу"},
                                        {"boxOff", "visible", false},
                                        {"bTest", "enabled", false}};
        // clang-format off
        add("mic fields", {.editor = Mic, .record = R("AA 040073648F418000 052AA6506BB58000"),
            .shown = {{"spinAtt", "value", -7.5},      {"spinGain", "value", 21},
                      {"spinAgcLvl", "value", -10},    {"lineAttack", "text", "11"},
                      {"lineDecay", "text", "400"},    {"spinAgcGain", "value", 20},
                      {"lineNoiseLvl", "text", "-70"}, {"lineDetSignal", "text", "8"},
                      {"lineDetNoise", "text", "960"}, {"boxOff", "visible", true}},
            .stored = R("AA 040073648F418000 052AA6506BB58000")});
        add("mic limits, both sources", {
            .editor = Mic, .record = R("F5 040073648F418000 0CFF0CFFC0008000"),
            .shown = {{"spinAtt", "value", -12},       {"spinGain", "value", 59.5},
                      {"spinAgcLvl", "value", -5.5},   {"lineNoiseLvl", "text", "Откл."}},
            .stored = R("F0 040073648F418000 08F70CEEC0008000")});
        add("mic without own switching bits", {
            .editor = Mic, .record = R("5A 040073648F418000 001673648F418000"),
            .stored = R("5A 040073648F418000 001673648F418000")});
        add("mic reset keeps second sources", {
            .editor = Mic, .record = R("A0 040073648F418000 1111111111118000"),
            .steps = {click("bReset")},
            .stored = R("A0 040073648F418000 001673648F418000")});
        add("rx fields", {.editor = Rx, .record = R("79 03055722D27A9314 001673648F418000"),
            .shown = {{"spinAtt", "value", -4.5},      {"lineNoiseLvl", "text", "-46"}},
            .stored = R("71 03055722D27A9314 001673648F418000")});
        add("rx 0x48, off group unchecked", {
            .editor = Rx, .record = R("48 040073648F418000 001673648F418000"),
            .steps = {check("boxOff", false)},
            .shown = {{"chkCosOn", "checked", false},  {"chkRxOn", "checked", false},
                      {"chkCosOff", "checked", false}, {"chkRxOff", "checked", true}},
            .stored = R("00 040073648F418000 001673648F418000")});
        add("mic without identity", {.editor = Mic, .identity = false, .record = newRec,
            .shown = noIdentity + QList<Prop>{{"chkPttOn", "visible", true},
                                              {"chkTxOn", "visible", false}},
            .stored = newRec});
        add("rx without identity", {.editor = Rx, .identity = false, .record = newRec,
            .shown = noIdentity + QList<Prop>{{"chkCosOn", "visible", true},
                                              {"chkRxOn", "visible", false}},
            .stored = newRec});
        add("output without identity", {.editor = Out, .identity = false, .record = newRec,
            .steps = {click("bTest"), set("dialTx8", 3), settle()},
            .shown = {{"bTest", "enabled", false},     {"lineTx8", "text", "-1.5"}},
            .stored = R("0F 040073648F418000 001673648F418003")});
        add("output levels", {.editor = Out, .record = R("0F 040073648F418AA6 001673648F41E8F5"),
            .shown = {{"lineRx3", "text", "-5"},       {"lineRx8", "text", "-19.1"},
                      {"lineTx3", "text", "-52.2"},    {"lineTx8", "text", "-78.3"}},
            .stored = R("0F 040073648F418AA6 001673648F41E8F5")});
        add("output off and limited", {
            .editor = Out, .record = R("0F 040073648F417F00 001673648F4125FF"),
            .shown = {{"lineRx3", "text", "Откл."},    {"lineRx8", "text", "0"},
                      {"lineTx3", "text", "-18.5"},    {"lineTx8", "text", "Откл."}},
            .stored = R("0F 040073648F417600 001673648F4125F6")});
        add("output reset", {.editor = Out, .record = R("0F 040073648F410599 001673648F4144F0"),
            .steps = {click("bReset")},
            .shown = {{"lineRx8", "text", "0"},        {"lineTx3", "text", "0"}},
            .stored = newRec});
        // clang-format on
    }
    void fillAndStore()
    {
        QFETCH(FillCase, c);
        TQ275 r = record(R("FF FFFFFFFFFFFFFFFF FFFFFFFFFFFFFFFF"));
        QPointer<TEditor> ed = open(c.editor, r, c.identity);
        QSignalSpy closing(ed.data(), &TEditor::reqClose);
        r = record(c.record);
        ed->Fill();
        run(ed, c.steps);
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
        const auto add = [](const char *row, const RulesCase &c) { QTest::newRow(row) << c; };
        const QByteArray newRec = R("0F 040073648F418000 001673648F418000");
        const QStringList agc = {"radioPga", "checkClip", "boxAgcLvl", "boxAgcGain", "tabAgc"};
        // clang-format off
        add("to AGC", {.editor = Mic, .record = newRec,
            .steps = {click("radioAgc")},
            .enabled = QStringList{"boxLine1"} + agc});
        add("to AGC and back", {.editor = Mic, .record = newRec,
            .steps = {click("radioAgc"), click("radioPga")},
            .enabled = {"boxLine1", "radioPga", "boxGain"}});
        add("mic amplifier off in AGC", {
            .editor = Mic, .record = R("0F 040073648F418000 0096F3648F418000"),
            .enabled = {"boxLine1"}});
        add("rx amplifier off", {
            .editor = Rx, .record = R("0F 048073648F418000 001673648F418000")});
        add("rx amplifier off and on in AGC", {
            .editor = Rx, .record = R("0F 0400F3648F418000 001673648F418000"),
            .steps = {check("boxAmp", false), check("boxAmp", true)},
            .enabled = QStringList{"boxAtt"} + agc});
        // clang-format on
    }
    void enableRules()
    {
        QFETCH(RulesCase, c);
        TQ275 r = record(c.record);
        QPointer<TEditor> ed = open(c.editor, r);
        run(ed, c.steps);
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
        const auto add = [](const char *row, const LiveCase &c) { QTest::newRow(row) << c; };
        const QByteArray newRec = R("0F 040073648F418000 001673648F418000");
        const QByteArray micAgc = R("0F 040073648F418000 0016F3648F418000");
        const QByteArray rxAgc = R("0F 0400F3648F418000 001673648F418000");
        // AGC on: seven fixed pairs, then the channel's switch, gain, noise and delay registers.
        const Pairs agcOn = {{2, 0x00}, {3, 0x81},  {4, 0x30}, {5, 0x03},
                             {6, 0x90}, {11, 0x01}, {8, 0xC0}};
        const QByteArray micAgcOn =
            codec(agcOn + Pairs{{22, 0x7C}, {30, 0x64}, {31, 0x8F}, {35, 0x41}});
        const QByteArray rxAgcOn =
            codec(agcOn + Pairs{{19, 0x7C}, {27, 0x64}, {28, 0x8F}, {34, 0x41}});
        const QList<Step> every = {set("dialDetSignal", 3), check("radioNoiseGate_3", true),
                                   set("dialDecay", 0),     set("dialAgcGain", 10),
                                   set("dialGain", 5),      set("dialAtt", 2)};
        // clang-format off
        add("mic amplifier off, on", {.editor = Mic, .record = newRec,
            .steps = {check("boxAmp", false), settle(), check("boxAmp", true), settle()},
            .frames = {reg(18, 0xFF), reg(16, 0x96), reg(18, 0xF0), reg(16, 0x16)}});
        add("rx amplifier off, on", {.editor = Rx, .record = newRec,
            .steps = {check("boxAmp", false), settle(), check("boxAmp", true), settle()},
            .frames = {reg(17, 0xFF), reg(15, 0x80), reg(17, 0x4F), reg(15, 0x00)}});
        add("mic AGC and back", {.editor = Mic, .record = newRec,
            .steps = {click("radioAgc"), settle(), click("radioPga"), settle()},
            .frames = {micAgcOn, reg(29, 0xF3), reg(22, 0x78), reg(29, 0x73)}});
        add("rx AGC and back", {.editor = Rx, .record = newRec,
            .steps = {click("radioAgc"), settle(), click("radioPga"), settle()},
            .frames = {rxAgcOn, reg(26, 0xF3), reg(19, 0x78), reg(26, 0x73)}});
        add("mic every group", {.editor = Mic, .record = micAgc,
            .steps = every + QList<Step>{click("chkTxOn"), settle()},
            .frames = {ctl(0x84, 0x2E), reg(18, 0xF2), reg(16, 0x05), reg(29, 0xF0), reg(30, 0x14),
                       reg(31, 0xCF), reg(35, 0x43)}});
        add("rx every group", {.editor = Rx, .record = rxAgc,
            .steps = every + QList<Step>{click("chkRxOn"), settle()},
            .frames = {ctl(0x83, 0x1D), reg(17, 0x2F), reg(15, 0x05), reg(26, 0xF0), reg(27, 0x14),
                       reg(28, 0xCF), reg(34, 0x43)}});
        add("mic attenuator, amplifier off", {
            .editor = Mic, .record = R("0F 040073648F418000 009673648F418000"),
            .steps = {set("dialAtt", 3), settle()}, .frames = {reg(18, 0xF3)}});
        // Each move restarts the 250 ms, so moves 100 ms apart go out once, after the last.
        add("moves within 250 ms", {.editor = Mic, .record = micAgc,
            .steps = {set("dialAgcLvl", 2), pause(), set("dialAttack", 1), pause(),
                      set("dialDecay", 0), pause(), set("dialAgcLvl", 3), settle()},
            .frames = {reg(29, 0xB4)}});
        add("reset sends the changed groups", {
            .editor = Mic, .record = R("2A 040073648F418000 051673208F428000"),
            .steps = {click("bReset"), settle()},
            .frames = {ctl(0x84, 0x2E), reg(18, 0xF0), reg(30, 0x64), reg(35, 0x41)}});
        // The board heard "AGC on" and "amplifier off": the reset must switch both back.
        add("reset after live switches", {.editor = Mic, .record = newRec,
            .steps = {click("radioAgc"), settle(), check("boxAmp", false), settle(),
                      click("bReset"), settle()},
            .frames = {micAgcOn, reg(29, 0xF3), reg(18, 0xFF), reg(16, 0x96), reg(18, 0xF0),
                       reg(22, 0x78), reg(16, 0x16), reg(29, 0x73)}});
        add("mic noise threshold", {.editor = Mic, .record = newRec,
            .steps = {set("dialNoiseLvl", 5), settle()}, .frames = {reg(31, 0x8B)}});
        add("noise gate 1 dB after off", {
            .editor = Mic, .record = R("0F 040073648F418000 0016F364CF418000"),
            .steps = {click("radioNoiseGate_0"), settle()}, .frames = {reg(31, 0x0F)}});
        add("mic switching from none", {
            .editor = Mic, .record = R("0A 040073648F418000 001673648F418000"),
            .steps = {click("chkPttOn"), settle(), check("boxOff", true), settle(),
                      click("chkPttOff"), settle()},
            .frames = {ctl(0x84, 0x0B), ctl(0x84, 0x0B), ctl(0x84, 0x0F)}});
        add("rx switching from none", {
            .editor = Rx, .record = R("05 040073648F418000 001673648F418000"),
            .steps = {click("chkRxOn"), settle(), check("boxOff", true), settle(),
                      click("chkRxOff"), settle()},
            .frames = {ctl(0x83, 0x15), ctl(0x83, 0x15), ctl(0x83, 0x55)}});
        add("output rows in order", {.editor = Out, .record = newRec,
            .steps = {set("dialTx3", 6), settle(), set("dialTx8", 7), set("dialTx3", 5),
                      set("dialRx8", 5), check("boxRx3", false), settle()},
            .frames = {reg(63, 0x86), reg(60, 0x00), reg(46, 0x05), reg(63, 0x85), reg(49, 0x07)}});
        add("output microphone off at pin 8", {
            .editor = Out, .record = R("0F 040073648F418000 001673648F41808C"),
            .steps = {check("boxTx8", false), settle()}, .frames = {reg(49, 0x0C)}});
        // Nothing goes after "Контроль" is let go, nor after a save or a close.
        add("leaving live control", {.editor = Mic, .record = newRec,
            .steps = {set("dialGain", 40), click("bTest"), set("dialGain", 41), settle()}});
        add("save within 250 ms",   {.editor = Mic, .record = newRec,
            .steps = {set("dialGain", 50), click("bSave"), settle()}});
        add("close within 250 ms",  {.editor = Out, .record = newRec,
            .steps = {set("dialRx3", 50), click("bClose"), settle()}});
        // clang-format on
    }
    void liveControl()
    {
        QFETCH(LiveCase, c);
        TQ275 r = record(c.record);
        QPointer<TEditor> ed = open(c.editor, r);
        run(ed, QList<Step>{click("bTest")} + c.steps);
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
