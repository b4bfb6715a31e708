#include <QCheckBox>
#include <QDial>
#include <QDoubleSpinBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTabWidget>
#include <QtTest>
#include <memory>

#include "editorprobe.h"
#include "tinprx.h"
#include "tinptx.h"
#include "toutput.h"
#include "tq275.h"

namespace
{

const quint8 newRecord[20] = {0x0F, 0x04, 0x00, 0x73, 0x64, 0x8F, 0x41, 0x80, 0x00, 0x00,
                              0x16, 0x73, 0x64, 0x8F, 0x41, 0x80, 0x00, 0x00, 0x00, 0xE3};

TQ275 defaultRecord()
{
    TQ275 r;
    std::copy(newRecord, newRecord + 20, r.bytes());
    return r;
}

// One input editor of either kind on its own record, with the names that differ.
struct Chan {
    explicit Chan(bool receiver) : rx(receiver) {}
    bool rx;
    TQ275 rec = defaultRecord();
    std::unique_ptr<TInpChan> ed;
    quint8 *block() { return rx ? rec.rx : rec.mic; }
    const char *att() const { return rx ? "boxAtt" : "boxLine1"; }
    const char *onA() const { return rx ? "chkCosOn" : "chkPttOn"; }
    const char *onB() const { return rx ? "chkRxOn" : "chkTxOn"; }
    const char *offA() const { return rx ? "chkCosOff" : "chkPttOff"; }
    const char *offB() const { return rx ? "chkRxOff" : "chkTxOff"; }
    quint8 own() const { return rx ? 0x5A : 0xA5; }
    int task() const { return rx ? TEditor::TaskRxCtl : TEditor::TaskMicCtl; }
    void open(int mode = 1)
    {
        ed.reset();
        if (rx)
            ed.reset(new TInpRx(nullptr, &rec, rec.rx, mode));
        else
            ed.reset(new TInpTx(nullptr, &rec, rec.mic, mode));
        ed->setAttribute(Qt::WA_DeleteOnClose, false);
    }
    template <typename T> T *w(const char *name) { return child<T>(ed.get(), name); }
    // Live control needs the "Контроль" button, which a board without identity disables.
    void startLive(TaskLog &log)
    {
        log.attach(ed.get());
        ed->Conn(true);
        w<QPushButton>("bTest")->setChecked(true);
    }
};

} // namespace

class TstInpEditor : public QObject
{
    Q_OBJECT

private slots:
    void chan_data();
    void formOfTheWindow_data() { chan_data(); }
    void formOfTheWindow();
    void tabOrder_data() { chan_data(); }
    void tabOrder();
    void modeZeroBuildsTheNewRecord();
    void modeZeroTouchesNothingElse();
    void blockRoundTrip_data() { chan_data(); }
    void blockRoundTrip();
    void switchingRoundTrip_data() { chan_data(); }
    void switchingRoundTrip();
    void radioPrecedenceAndOffGroup_data() { chan_data(); }
    void radioPrecedenceAndOffGroup();
    void defaultKeepsSecondSources_data() { chan_data(); }
    void defaultKeepsSecondSources();
    void receiverOffBits();
    void enableRules_data() { chan_data(); }
    void enableRules();
    void amplifierOffRecordKeepsGroupsDisabled_data() { chan_data(); }
    void amplifierOffRecordKeepsGroupsDisabled();
    void dialSpinCoupling();
    void agcLevelTypingAndStepping();
    void noIdentityVariant_data() { chan_data(); }
    void noIdentityVariant();
    void saveAndQuit();

    void liveAmplifierSwitch_data() { chan_data(); }
    void liveAmplifierSwitch();
    void liveAgcSwitch_data() { chan_data(); }
    void liveAgcSwitch();
    void liveDirtyOrder_data() { chan_data(); }
    void liveDirtyOrder();
    void liveAttenuatorWithAmplifierOff();
    void liveResetSendsChangedGroups();
    void liveResetAfterLiveSwitchesRestoresBoard();
    void liveNoiseGateBackToFirst();
    void liveLeaving();
};

void TstInpEditor::chan_data()
{
    QTest::addColumn<bool>("rx");
    QTest::newRow("microphone") << false;
    QTest::newRow("receiver") << true;
}

void TstInpEditor::formOfTheWindow()
{
    QFETCH(bool, rx);
    Chan ch{rx};
    ch.open();
    QWidget *e = ch.ed.get();
    QCOMPARE(e->minimumSize(), QSize(400, 350));
    QCOMPARE(e->maximumSize(), QSize(400, 350));
    QCOMPARE(e->windowTitle(), QStringLiteral("Вход"));
    QCOMPARE(e->metaObject()->className(), rx ? "TInpRx" : "TInpTx");

    struct B {
        const char *name, *text, *tip;
    } buttons[] = {
        {"bTest", "Контроль", "Режим контроля параметров канала"},
        {"bReset", "Сброс", "Сброс параметров канала к начальным значениям"},
        {"bSave", "Сохранить", "Сохранение установленных параметров канала"},
        {"bClose", "Закрыть", "Выход без сохранения параметров канала"},
    };
    for (const B &b : buttons) {
        auto *p = ch.w<QPushButton>(b.name);
        QCOMPARE(p->text(), QString::fromUtf8(b.text));
        QCOMPARE(p->toolTip(), QString::fromUtf8(b.tip));
        QCOMPARE(p->statusTip(), QString::fromUtf8(b.tip));
        QVERIFY(p->minimumWidth() >= 75 && p->minimumHeight() >= 23);
        QCOMPARE(p->isCheckable(), QByteArray(b.name) == "bTest");
    }

    auto *tabs = ch.w<QTabWidget>("tabWidget");
    QVERIFY(tabs->documentMode());
    QCOMPARE(tabs->tabShape(), QTabWidget::Triangular);
    QCOMPARE(tabs->currentWidget()->objectName(), QStringLiteral("tabIn"));
    QCOMPARE(tabs->tabText(0), QStringLiteral("Вход"));
    QCOMPARE(tabs->tabToolTip(0), QStringLiteral("Вход"));
    QCOMPARE(tabs->tabText(1), QStringLiteral("АРУ"));
    QVERIFY(!ch.w<QWidget>("tabAgc")->isEnabled());

    auto *g3 = ch.w<QGroupBox>("groupBox_3");
    QVERIFY(g3->isFlat() && g3->title().isEmpty());
    QCOMPARE(g3->toolTip(), QStringLiteral("Режимы работы канала"));
    QCOMPARE(ch.w<QGroupBox>("groupBox_4")->toolTip(),
             QStringLiteral("Параметры  усилителя в режиме АРУ"));

    auto *att = ch.w<QGroupBox>(ch.att());
    QCOMPARE(att->title(), QStringLiteral("Аттенюатор"));
    QCOMPARE(att->toolTip(), QStringLiteral("Входной аттенюатор канала"));
    QCOMPARE(att->statusTip(), att->toolTip());
    auto *amp = ch.w<QGroupBox>("boxAmp");
    QVERIFY(amp->isCheckable() && amp->isChecked());
    QCOMPARE(amp->title(), QStringLiteral("Усилитель"));
    QCOMPARE(ch.w<QRadioButton>("radioPga")->text(), QStringLiteral("Постоянный"));
    QCOMPARE(ch.w<QRadioButton>("radioAgc")->toolTip(),
             QStringLiteral("Режим работы усилителя с автоматической регулировкой усиления"));
    QCOMPARE(ch.w<QCheckBox>("checkClip")->text(), QStringLiteral("Ограничение"));
    QVERIFY(ch.w<QGroupBox>("boxOff")->isCheckable());
    QCOMPARE(ch.w<QGroupBox>("boxOn")->toolTip(), QStringLiteral("Управление включением канала"));
    QCOMPARE(ch.w<QGroupBox>("boxOff")->toolTip(), QStringLiteral("Управление выключением канала"));
    if (rx) {
        QCOMPARE(ch.w<QRadioButton>("chkCosOn")->text(), QStringLiteral("Детектора несущей"));
        QCOMPARE(ch.w<QRadioButton>("chkRxOff")->text(), QStringLiteral("Запрет аудио"));
        QCOMPARE(ch.w<QGroupBox>("boxOff")->title(),
                 QStringLiteral("Выключение канала по сигналу"));
        QCOMPARE(ch.w<QGroupBox>("boxAgcGain")->toolTip(),
                 QStringLiteral("Максимальное усиление в режиме АРУ"));
    } else {
        QCOMPARE(ch.w<QRadioButton>("chkPttOn")->text(), QStringLiteral("Нажатия РТТ"));
        QCOMPARE(ch.w<QRadioButton>("chkTxOff")->toolTip(),
                 QStringLiteral("Выключить канал по сигналу отключения передающего аудиотракта "
                                "радиостанции"));
        QCOMPARE(ch.w<QGroupBox>("boxOff")->title(),
                 QStringLiteral("Выключение канала по сигналам"));
        QVERIFY(ch.w<QGroupBox>("boxAgcGain")->toolTip().isEmpty());
    }
    QCOMPARE(ch.w<QGroupBox>("boxAgcGain")->title(), QStringLiteral("Макс. усиление"));
    QCOMPARE(ch.w<QGroupBox>("boxNoiseGate")->toolTip(),
             QStringLiteral("Гистерезис детектирования сигнал / шум"));
    QCOMPARE(ch.w<QRadioButton>("radioNoiseGate_3")->text(), QStringLiteral("Откл."));

    struct D {
        const char *name;
        int min, max, page;
        double notch;
        bool inverted;
    } dials[] = {{"dialAtt", 0, 8, 2, 1.5, true},      {"dialGain", 0, 119, 8, 2, false},
                 {"dialAgcLvl", 0, 7, 2, 1, true},     {"dialAgcGain", 0, 119, 8, 2, false},
                 {"dialAttack", 0, 3, 1, 1, false},    {"dialDecay", 0, 3, 1, 1, false},
                 {"dialDetSignal", 0, 7, 2, 1, false}, {"dialDetNoise", 0, 31, 4, 1, false},
                 {"dialNoiseLvl", 0, 31, 4, 1, true}};
    for (const D &d : dials) {
        auto *dial = ch.w<QDial>(d.name);
        QCOMPARE(dial->minimum(), d.min);
        QCOMPARE(dial->maximum(), d.max);
        QCOMPARE(dial->pageStep(), d.page);
        QCOMPARE(dial->notchTarget(), d.notch);
        QCOMPARE(dial->invertedAppearance(), d.inverted);
        QVERIFY(dial->notchesVisible() && !dial->invertedControls() && !dial->wrapping());
    }
    struct S {
        const char *name;
        double min, max, step;
    } spins[] = {{"spinAtt", -12, 0, 1.5},
                 {"spinGain", 0, 59.5, 0.5},
                 {"spinAgcLvl", -24, -5.5, 4},
                 {"spinAgcGain", 0, 59.5, 0.5}};
    for (const S &s : spins) {
        auto *spin = ch.w<QDoubleSpinBox>(s.name);
        QCOMPARE(spin->decimals(), 1);
        QCOMPARE(spin->minimum(), s.min);
        QCOMPARE(spin->maximum(), s.max);
        QCOMPARE(spin->singleStep(), s.step); // the default record's AGC level is code 7
    }
    for (const char *l :
         {"lineAttack", "lineDecay", "lineDetSignal", "lineDetNoise", "lineNoiseLvl"})
        QVERIFY(ch.w<QLineEdit>(l)->isReadOnly());
}

void TstInpEditor::tabOrder()
{
    QFETCH(bool, rx);
    Chan ch{rx};
    ch.open();
    const QStringList order = {"bTest",
                               "bReset",
                               "bSave",
                               "bClose",
                               "tabWidget",
                               ch.att(),
                               "spinAtt",
                               "dialAtt",
                               "boxAmp",
                               "radioPga",
                               "radioAgc",
                               "checkClip",
                               "spinGain",
                               "dialGain",
                               "spinAgcLvl",
                               "dialAgcLvl",
                               "spinAgcGain",
                               "dialAgcGain",
                               "lineAttack",
                               "dialAttack",
                               "lineDecay",
                               "dialDecay",
                               "lineDetSignal",
                               "dialDetSignal",
                               "lineDetNoise",
                               "dialDetNoise",
                               "lineNoiseLvl",
                               "dialNoiseLvl",
                               "radioNoiseGate_0",
                               "radioNoiseGate_1",
                               "radioNoiseGate_2",
                               "radioNoiseGate_3"};
    // Walk the focus chain from the first control and note the listed ones as they come.
    QStringList seen;
    QWidget *start = ch.w<QWidget>("bTest");
    QWidget *w = start;
    do {
        if (order.contains(w->objectName()) && !seen.contains(w->objectName()))
            seen << w->objectName();
        w = w->nextInFocusChain();
    } while (w != start);
    QCOMPARE(seen, order);
}

void TstInpEditor::modeZeroBuildsTheNewRecord()
{
    TQ275 rec;
    std::fill(rec.bytes(), rec.bytes() + 20, quint8(0));
    QPointer<TInpRx> rx = new TInpRx(nullptr, &rec, rec.rx, 0);
    QPointer<TInpTx> tx = new TInpTx(nullptr, &rec, rec.mic, 0);
    QPointer<TOutput> out = new TOutput(nullptr, rec.rx + 6, rec.mic + 6, 0);
    QVERIFY(!rx->isVisible() && !tx->isVisible() && !out->isVisible());
    rec.updateChecksum();
    QCOMPARE(QByteArray(reinterpret_cast<const char *>(rec.bytes()), 20),
             QByteArray(reinterpret_cast<const char *>(newRecord), 20));
    QCOMPARE(rec.checksum, quint8(0xE3));
    QVERIFY(rec.isValid());
    // They closed themselves and go at the next turn of the event loop.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(rx.isNull() && tx.isNull() && out.isNull());
}

void TstInpEditor::modeZeroTouchesNothingElse()
{
    // Each default routine writes only its own bytes and ORs its own switching bits.
    TQ275 rec;
    std::fill(rec.bytes(), rec.bytes() + 20, quint8(0xEE));
    rec.switching = 0x50;
    {
        TInpRx rx(nullptr, &rec, rec.rx, 0);
    }
    QCOMPARE(rec.switching, quint8(0x5A));
    QCOMPARE(QByteArray(reinterpret_cast<const char *>(rec.rx), 8),
             QByteArray::fromHex("0400736 48F41EEEE"));
    QVERIFY(std::all_of(rec.bytes() + 9, rec.bytes() + 20, [](quint8 b) { return b == 0xEE; }));
    rec.switching = 0xA0;
    {
        TInpTx tx(nullptr, &rec, rec.mic, 0);
    }
    QCOMPARE(rec.switching, quint8(0xA5));
    QCOMPARE(QByteArray(reinterpret_cast<const char *>(rec.mic), 8),
             QByteArray::fromHex("0016736 48F41EEEE"));
    QCOMPARE(rec.infoFlag, quint8(0xEE));
    QCOMPARE(rec.spare, quint8(0xEE));
    QCOMPARE(rec.checksum, quint8(0xEE));
}

void TstInpEditor::blockRoundTrip()
{
    QFETCH(bool, rx);
    Chan ch{rx};
    ch.open();
    for (int i = 0; i < 6; ++i) {
        for (int v = 0; v < 256; ++v) {
            TQ275 base = defaultRecord();
            ch.rec = base;
            ch.block()[i] = quint8(v);
            ch.ed->Fill();
            quint8 out[8];
            std::fill(out, out + 8, quint8(0xA5));
            quint8 sw = ch.rec.switching;
            ch.ed->Store(&sw, out);
            int want = v;
            if (i == 0)
                want = qMin(v, 8);
            else if (i == 1)
                want = (v & 0x80) | qMin(v & 0x7F, 119);
            else if (i == 3)
                want = qMin(v >> 1, 119) * 2;
            for (int j = 0; j < 6; ++j) {
                const int expect = j == i ? want : (rx ? base.rx : base.mic)[j];
                if (out[j] != expect)
                    QFAIL(qPrintable(QString("byte %1 value %2: block byte %3 is %4, want %5")
                                         .arg(i)
                                         .arg(v, 2, 16)
                                         .arg(j)
                                         .arg(out[j], 2, 16)
                                         .arg(expect, 2, 16)));
            }
            QCOMPARE(out[6], quint8(0xA5)); // the output bytes are not this editor's
            QCOMPARE(out[7], quint8(0xA5));
            QCOMPARE(sw, ch.rec.switching);
        }
    }
}

void TstInpEditor::switchingRoundTrip()
{
    QFETCH(bool, rx);
    Chan ch{rx};
    ch.open();
    const quint8 own = ch.own();
    const quint8 onA = rx ? 0x02 : 0x01, onB = rx ? 0x10 : 0x20;
    const quint8 offA = rx ? 0x08 : 0x04, offB = rx ? 0x40 : 0x80;
    for (int s = 0; s < 256; ++s) {
        ch.rec.switching = quint8(s);
        ch.ed->Fill();
        int want = s & own;
        if ((want & onA) && (want & onB))
            want &= ~onA; // the second source was set last and wins
        if ((want & offA) && (want & offB))
            want &= ~offA;
        // Store into a byte whose other channel's bits differ: they must stay as they are.
        quint8 target = quint8(s ^ 0xFF);
        quint8 block[8];
        ch.ed->Store(&target, block);
        QCOMPARE(int(target & own), want);
        QCOMPARE(int(target & ~own & 0xFF), (s ^ 0xFF) & ~own & 0xFF);
    }
}

void TstInpEditor::radioPrecedenceAndOffGroup()
{
    QFETCH(bool, rx);
    Chan ch{rx};
    const quint8 bothOn = rx ? 0x12 : 0x21;
    const quint8 offB = rx ? 0x40 : 0x80;
    ch.rec.switching = bothOn | offB;
    ch.open();
    QVERIFY(ch.w<QRadioButton>(ch.onB())->isChecked());
    QVERIFY(!ch.w<QRadioButton>(ch.onA())->isChecked());
    QVERIFY(ch.w<QGroupBox>("boxOff")->isChecked());
    QVERIFY(ch.w<QRadioButton>(ch.offB())->isChecked());
    ch.ed->Save();
    QCOMPARE(int(ch.rec.switching), int((rx ? 0x10 : 0x20) | offB));

    // Unchecked switch-off group: both off bits go, although a radio button stays checked.
    ch.w<QGroupBox>("boxOff")->setChecked(false);
    QVERIFY(ch.w<QRadioButton>(ch.offB())->isChecked());
    quint8 sw = 0xFF, block[8];
    ch.ed->Store(&sw, block);
    QCOMPARE(int(sw), rx ? (0xFF & 0xB7 & ~0x02) : (0xFF & 0x7B & ~0x01));
    // No switching bit of its own set: the off group shows unchecked.
    ch.rec.switching = quint8(~ch.own());
    ch.ed->Fill();
    QVERIFY(!ch.w<QGroupBox>("boxOff")->isChecked());
    QVERIFY(!ch.w<QRadioButton>(ch.onA())->isChecked());
    QVERIFY(!ch.w<QRadioButton>(ch.onB())->isChecked());
}

void TstInpEditor::defaultKeepsSecondSources()
{
    QFETCH(bool, rx);
    Chan ch{rx};
    const quint8 onB = rx ? 0x10 : 0x20, offB = rx ? 0x40 : 0x80;
    ch.rec.switching = onB | offB;
    std::fill(ch.block(), ch.block() + 6, quint8(0x11));
    ch.open();
    ch.w<QPushButton>("bReset")->click();
    QCOMPARE(int(ch.rec.switching), rx ? 0x5A : 0xA5);
    QCOMPARE(QByteArray(reinterpret_cast<const char *>(ch.block()), 6),
             QByteArray::fromHex(rx ? "040073648F41" : "001673648F41"));
    QVERIFY(ch.w<QRadioButton>(ch.onB())->isChecked());
    QVERIFY(ch.w<QRadioButton>(ch.offB())->isChecked());
    ch.ed->Save();
    QCOMPARE(int(ch.rec.switching), onB | offB);
}

void TstInpEditor::receiverOffBits()
{
    Chan ch{true};
    ch.rec.switching = 0x48;
    ch.open();
    QVERIFY(ch.w<QGroupBox>("boxOff")->isChecked());
    QVERIFY(ch.w<QRadioButton>("chkRxOff")->isChecked());
    QVERIFY(!ch.w<QRadioButton>("chkCosOff")->isChecked());
    ch.rec.switching = 0x08;
    ch.ed->Fill();
    QVERIFY(ch.w<QRadioButton>("chkCosOff")->isChecked());
}

void TstInpEditor::enableRules()
{
    QFETCH(bool, rx);
    Chan ch{rx};
    ch.open();
    ch.ed->show();
    auto enabled = [&](const char *n) { return ch.w<QWidget>(n)->isEnabled(); };
    // Default record: amplifier on, constant gain.
    QVERIFY(enabled("boxGain") && !enabled("checkClip"));
    QVERIFY(!enabled("boxAgcLvl") && !enabled("boxAgcGain") && !enabled("tabAgc"));
    QVERIFY(enabled(ch.att()));

    ch.w<QRadioButton>("radioAgc")->click();
    QVERIFY(!enabled("boxGain") && enabled("checkClip"));
    QVERIFY(enabled("boxAgcLvl") && enabled("boxAgcGain") && enabled("tabAgc"));

    ch.w<QGroupBox>("boxAmp")->setChecked(false);
    QVERIFY(!enabled("boxGain") && !enabled("boxAgcLvl") && !enabled("boxAgcGain"));
    QVERIFY(!enabled("tabAgc") && !enabled("checkClip") && !enabled("radioPga"));
    QCOMPARE(enabled(ch.att()), !rx); // only the receiver's attenuator follows the amplifier

    ch.w<QGroupBox>("boxAmp")->setChecked(true);
    QVERIFY(enabled(ch.att()));
    QVERIFY(!enabled("boxGain") && enabled("checkClip") && enabled("tabAgc"));

    ch.w<QRadioButton>("radioPga")->click();
    QVERIFY(enabled("boxGain") && !enabled("checkClip"));
    QVERIFY(!enabled("boxAgcLvl") && !enabled("boxAgcGain") && !enabled("tabAgc"));
}

void TstInpEditor::amplifierOffRecordKeepsGroupsDisabled()
{
    QFETCH(bool, rx);
    Chan ch{rx};
    ch.block()[1] = 0x96; // amplifier off, constant gain
    ch.open();
    QVERIFY(!ch.w<QGroupBox>("boxAmp")->isChecked());
    QVERIFY(!ch.w<QWidget>("boxGain")->isEnabled());
    QVERIFY(!ch.w<QWidget>("tabAgc")->isEnabled());
    QCOMPARE(ch.w<QWidget>(ch.att())->isEnabled(), !rx);
    // Amplifier off in AGC mode: nothing of the amplifier can be changed.
    ch.block()[2] = 0xF3;
    ch.ed->Fill();
    QVERIFY(!ch.w<QWidget>("checkClip")->isEnabled());
    QVERIFY(!ch.w<QWidget>("boxAgcLvl")->isEnabled());
    QVERIFY(!ch.w<QWidget>("tabAgc")->isEnabled());
    QVERIFY(!ch.w<QWidget>("radioPga")->isEnabled());
    // A later fill with the amplifier on brings everything back.
    ch.block()[1] = 0x16;
    ch.block()[2] = 0xF3;
    ch.ed->Fill();
    QVERIFY(ch.w<QWidget>(ch.att())->isEnabled());
    QVERIFY(!ch.w<QWidget>("boxGain")->isEnabled());
    QVERIFY(ch.w<QWidget>("tabAgc")->isEnabled());
}

void TstInpEditor::dialSpinCoupling()
{
    Chan ch{false};
    ch.open();
    auto *spinAtt = ch.w<QDoubleSpinBox>("spinAtt");
    auto *dialAtt = ch.w<QDial>("dialAtt");
    QCOMPARE(spinAtt->value(), 0.0);
    dialAtt->setValue(5);
    QCOMPARE(spinAtt->value(), -7.5);
    spinAtt->setValue(-2);
    QCOMPARE(dialAtt->value(), 1);
    QCOMPARE(spinAtt->value(), -1.5);

    auto *spinGain = ch.w<QDoubleSpinBox>("spinGain");
    QCOMPARE(spinGain->value(), 11.0);
    spinGain->setValue(10.3);
    QCOMPARE(ch.w<QDial>("dialGain")->value(), 20);
    QCOMPARE(spinGain->value(), 10.0);
    ch.w<QDial>("dialAgcGain")->setValue(119);
    QCOMPARE(ch.w<QDoubleSpinBox>("spinAgcGain")->value(), 59.5);

    ch.w<QDial>("dialAttack")->setValue(2);
    QCOMPARE(ch.w<QLineEdit>("lineAttack")->text(), QStringLiteral("16"));
    QCOMPARE(ch.w<QLineEdit>("lineDecay")->text(), QStringLiteral("500"));
    QCOMPARE(ch.w<QLineEdit>("lineNoiseLvl")->text(), QStringLiteral("-42"));
    ch.w<QDial>("dialNoiseLvl")->setValue(0);
    QCOMPARE(ch.w<QLineEdit>("lineNoiseLvl")->text(), QStringLiteral("Откл."));
    QCOMPARE(ch.w<QLineEdit>("lineDetSignal")->text(), QStringLiteral("0.5"));
    QCOMPARE(ch.w<QLineEdit>("lineDetNoise")->text(), QStringLiteral("64"));
    ch.w<QDial>("dialDetNoise")->setValue(31);
    QCOMPARE(ch.w<QLineEdit>("lineDetNoise")->text(), QStringLiteral("1536"));

    ch.ed->Save();
    QCOMPARE(QByteArray(reinterpret_cast<const char *>(ch.rec.mic), 6),
             QByteArray::fromHex("01147BEE81F9"));
}

void TstInpEditor::agcLevelTypingAndStepping()
{
    Chan ch{false};
    ch.block()[2] = 0xF3; // AGC, level code 7
    ch.open();
    ch.ed->show();
    ch.w<QTabWidget>("tabWidget")->setCurrentIndex(0);
    auto *spin = ch.w<QDoubleSpinBox>("spinAgcLvl");
    auto *dial = ch.w<QDial>("dialAgcLvl");

    dial->setValue(2);
    QCOMPARE(spin->value(), -10.0);
    QCOMPARE(spin->singleStep(), 2.0);

    spin->setFocus();
    spin->selectAll();
    QTest::keyClicks(spin, "-21");
    QCOMPARE(spin->value(), -24.0);
    QCOMPARE(dial->value(), 7);
    QCOMPARE(spin->singleStep(), 4.0);

    const QList<double> up = {-20, -17, -14, -12, -10, -8, -5.5};
    for (int i = 0; i < up.size(); ++i) {
        spin->stepUp();
        QCOMPARE(spin->value(), up[i]);
        QCOMPARE(dial->value(), 6 - i);
    }
    const QList<double> down = {-8, -10, -12, -14, -17, -20, -24};
    for (int i = 0; i < down.size(); ++i) {
        spin->stepDown();
        QCOMPARE(spin->value(), down[i]);
        QCOMPARE(dial->value(), i + 1);
    }
    ch.ed->Save();
    QCOMPARE(int(ch.rec.mic[2]), 0xF3);
}

void TstInpEditor::noIdentityVariant()
{
    QFETCH(bool, rx);
    Chan ch{rx};
    ch.open();
    ch.ed->show();
    // The board gave no identity (the link has not read it): one switching signal only.
    QCOMPARE(ch.w<QGroupBox>("boxOn")->title(), QStringLiteral("Управление каналом по сигналу"));
    QVERIFY(!ch.w<QWidget>("boxOff")->isVisible());
    QVERIFY(!ch.w<QWidget>(ch.onB())->isVisible());
    QVERIFY(ch.w<QWidget>(ch.onA())->isVisible());
    QVERIFY(!ch.w<QPushButton>("bTest")->isEnabled());
    // The rest works: defaults still keep the switch-off bit.
    ch.ed->Save();
    QCOMPARE(int(ch.rec.switching), 0x0F);
}

void TstInpEditor::saveAndQuit()
{
    Chan ch{false};
    ch.open();
    QSignalSpy spy(ch.ed.get(), &TEditor::reqClose);
    ch.w<QDial>("dialGain")->setValue(50);
    ch.w<QPushButton>("bClose")->click();
    QCOMPARE(spy.size(), 1);
    QCOMPARE(spy.takeFirst().at(0).toBool(), false);
    QCOMPARE(int(ch.rec.mic[1]), 0x16);
    ch.w<QPushButton>("bSave")->click();
    QCOMPARE(spy.size(), 1);
    QCOMPARE(spy.takeFirst().at(0).toBool(), true);
    QCOMPARE(int(ch.rec.mic[1]), 50);
    // Only bytes 0 to 5 of the block and the switching byte: never the outputs.
    QCOMPARE(int(ch.rec.mic[6]), 0x80);
    QCOMPARE(int(ch.rec.mic[7]), 0x00);
}

void TstInpEditor::liveAmplifierSwitch()
{
    QFETCH(bool, rx);
    Chan ch{rx};
    ch.open();
    TaskLog log;
    ch.startLive(log);
    const int inp = rx ? 17 : 18, gain = rx ? 15 : 16, g = rx ? 0x00 : 0x16;
    ch.w<QGroupBox>("boxAmp")->setChecked(false);
    QVERIFY(log.tasks.isEmpty());
    ch.ed->TestStt();
    QCOMPARE(log.tasks, QList<PostedTask>({codec({inp, 0xFF}), codec({gain, g | 0x80})}));
    log.tasks.clear();
    ch.w<QGroupBox>("boxAmp")->setChecked(true);
    ch.ed->TestStt();
    QCOMPARE(log.tasks, QList<PostedTask>({codec({inp, rx ? 0x4F : 0xF0}), codec({gain, g})}));
    QCOMPARE(ch.ed->dirtyMask(), 0);
}

void TstInpEditor::liveAgcSwitch()
{
    QFETCH(bool, rx);
    Chan ch{rx};
    ch.open();
    TaskLog log;
    ch.startLive(log);
    ch.w<QRadioButton>("radioAgc")->click();
    ch.ed->TestStt();
    const QByteArray seq = QByteArray::fromHex(
        rx ? "02 00  03 81  04 30  05 03  06 90  0B 01  08 C0  13 7C  1B 64  1C 8F  22 41"
           : "02 00  03 81  04 30  05 03  06 90  0B 01  08 C0  16 7C  1E 64  1F 8F  23 41");
    QCOMPARE(log.tasks,
             QList<PostedTask>({{TEditor::TaskCodec, seq}, codec({rx ? 26 : 29, 0xF3})}));
    log.tasks.clear();
    ch.w<QRadioButton>("radioPga")->click();
    ch.ed->TestStt();
    QCOMPARE(log.tasks,
             QList<PostedTask>({codec({rx ? 19 : 22, 0x78}), codec({rx ? 26 : 29, 0x73})}));
}

void TstInpEditor::liveDirtyOrder()
{
    QFETCH(bool, rx);
    Chan ch{rx};
    ch.block()[2] = 0xF3;
    ch.open();
    TaskLog log;
    ch.startLive(log);
    // Touch every group, in reverse order of sending.
    ch.w<QDial>("dialDetSignal")->setValue(3);
    ch.w<QRadioButton>("radioNoiseGate_3")->setChecked(true);
    ch.w<QDial>("dialDecay")->setValue(0);
    ch.w<QDial>("dialAgcGain")->setValue(10);
    ch.w<QDial>("dialGain")->setValue(5);
    ch.w<QDial>("dialAtt")->setValue(2);
    ch.w<QRadioButton>(ch.onB())->setChecked(true);
    QCOMPARE(ch.ed->dirtyMask(), 0x7F);
    ch.ed->TestStt();
    QCOMPARE(ch.rec.switching, quint8(rx ? 0x1D : 0x2E));
    QList<PostedTask> want = {ctl(ch.task(), ch.rec.switching)};
    if (rx)
        want << codec({17, 0x2F}) << codec({15, 5}) << codec({26, 0xF0}) << codec({27, 20})
             << codec({28, 0xCF}) << codec({34, 0x43});
    else
        want << codec({18, 0xF2}) << codec({16, 5}) << codec({29, 0xF0}) << codec({30, 20})
             << codec({31, 0xCF}) << codec({35, 0x43});
    QCOMPARE(log.tasks, want);
}

void TstInpEditor::liveAttenuatorWithAmplifierOff()
{
    Chan ch{false};
    ch.block()[1] = 0x96;
    ch.open();
    TaskLog log;
    ch.startLive(log);
    QVERIFY(ch.w<QWidget>("boxLine1")->isEnabled());
    ch.w<QDial>("dialAtt")->setValue(3);
    ch.ed->TestStt();
    QCOMPARE(log.tasks, QList<PostedTask>({codec({18, 0xF3})}));
}

void TstInpEditor::liveResetSendsChangedGroups()
{
    Chan ch{true};
    ch.block()[4] = 0x8E; // clip off: only the noise group differs from the defaults
    ch.block()[5] = 0x42;
    ch.open();
    TaskLog log;
    ch.startLive(log);
    ch.w<QPushButton>("bReset")->click();
    QCOMPARE(ch.ed->dirtyMask(), 0x60);
    ch.ed->TestStt();
    QCOMPARE(log.tasks, QList<PostedTask>({codec({28, 0x8F}), codec({34, 0x41})}));
}

void TstInpEditor::liveResetAfterLiveSwitchesRestoresBoard()
{
    // The board got "amplifier off" and "AGC on" in live control; the reset brings the
    // defaults (amplifier on, constant gain), so the board must hear both switches back.
    Chan ch{false};
    ch.open();
    TaskLog log;
    ch.startLive(log);
    ch.w<QRadioButton>("radioAgc")->click();
    ch.ed->TestStt();
    ch.w<QGroupBox>("boxAmp")->setChecked(false);
    ch.ed->TestStt();
    log.tasks.clear();
    ch.w<QPushButton>("bReset")->click();
    ch.ed->TestStt();
    QCOMPARE(log.tasks, QList<PostedTask>({codec({18, 0xF0}), codec({22, 0x78}), codec({16, 0x16}),
                                           codec({29, 0x73})}));
}

void TstInpEditor::liveNoiseGateBackToFirst()
{
    Chan ch{false};
    ch.block()[2] = 0xF3;
    ch.block()[4] = 0xCF;
    ch.open();
    TaskLog log;
    ch.startLive(log);
    ch.w<QRadioButton>("radioNoiseGate_0")->click();
    QCOMPARE(ch.ed->dirtyMask(), 0x20);
    ch.ed->TestStt();
    QCOMPARE(log.tasks, QList<PostedTask>({codec({31, 0x0F})}));
}

void TstInpEditor::liveLeaving()
{
    Chan ch{false};
    ch.open();
    TaskLog log;
    ch.startLive(log);
    auto *bTest = ch.w<QPushButton>("bTest");
    // Changes before entering are not sent; a change then leaving drops it.
    ch.w<QDial>("dialGain")->setValue(40);
    bTest->setChecked(false);
    QTest::qWait(350);
    QVERIFY(log.tasks.isEmpty());
    QCOMPARE(ch.ed->dirtyMask(), 0);
    // Conn(false) leaves live control and locks the button; Conn(true) frees it.
    bTest->setChecked(true);
    ch.ed->Conn(false);
    QVERIFY(!bTest->isChecked() && !bTest->isEnabled());
    ch.w<QDial>("dialGain")->setValue(41);
    QCOMPARE(ch.ed->dirtyMask(), 0);
    ch.ed->Conn(true);
    QVERIFY(bTest->isEnabled() && !bTest->isChecked());
}

QTEST_MAIN(TstInpEditor)
#include "tst_inpeditor.moc"
