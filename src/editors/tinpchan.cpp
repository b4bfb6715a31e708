#include "editors/tinpchan.h"

#include <QCheckBox>
#include <QDial>
#include <QDoubleSpinBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>

namespace
{

// Shows one of two radio buttons of a group as checked; when a record sets both, the
// second one wins, when it sets neither, both are shown unchecked (an exclusive radio
// button refuses setChecked(false), so exclusivity is lifted for that moment).
void setRadioPair(QRadioButton *a, bool va, QRadioButton *b, bool vb)
{
    if (!va && !vb) {
        a->setAutoExclusive(false);
        b->setAutoExclusive(false);
        a->setChecked(false);
        b->setChecked(false);
        a->setAutoExclusive(true);
        b->setAutoExclusive(true);
        return;
    }
    a->setChecked(va);
    b->setChecked(vb);
}

} // namespace

// The receiver channel is switched by the carrier detector or the receive audio path, and
// its attenuator works only with the amplifier on; the microphone channel is switched by
// the PTT or the transmit audio path.
const TInpChan::Channel TInpChan::RxChannel = {
    TScale::Rx,        TQ275::RxCosOn,    TQ275::RxAudioOn,   TQ275::RxCosOff,
    TQ275::RxAudioOff, TQ275::rxDefaults, TThread::TaskRxCtl, true};
const TInpChan::Channel TInpChan::MicChannel = {
    TScale::Mic,     TQ275::MicPttOn,    TQ275::MicTxOn,      TQ275::MicPttOff,
    TQ275::MicTxOff, TQ275::micDefaults, TThread::TaskMicCtl, false};

TInpChan::TInpChan(TThread *thread, const Channel &channel) : TEditor(thread), ch(channel) {}

bool TInpChan::prepare(quint8 *switching, quint8 *block, int mode)
{
    sw = switching;
    blk = block;

    if (ident[0] == 0) {
        // No identity from the board: only the first switch-on source and no live control.
        c.boxOn->setTitle(tr("Управление каналом по сигналу"));
        c.boxOff->hide();
        c.chkOnB->hide();
        buttons.bTest->setEnabled(false);
    }
    return start(mode, buttons);
}

void TInpChan::connectControls()
{
    connect(c.boxAmp, &QGroupBox::toggled, this, &TInpChan::ChkAmp);
    connect(c.radioPga, &QRadioButton::toggled, this, &TInpChan::ChkPga);
    connect(c.radioAgc, &QRadioButton::toggled, this, &TInpChan::ChkAgc);
    connect(c.dialGain, &QDial::valueChanged, this, &TInpChan::DialGain);
    connect(c.spinGain, &QDoubleSpinBox::valueChanged, this, &TInpChan::SpinGain);
    connect(c.dialAgcLvl, &QDial::valueChanged, this, &TInpChan::DialAgcLvl);
    connect(c.spinAgcLvl, &QDoubleSpinBox::valueChanged, this, &TInpChan::SpinAgcLvl);
    connect(c.dialAgcGain, &QDial::valueChanged, this, &TInpChan::DialAgcGain);
    connect(c.spinAgcGain, &QDoubleSpinBox::valueChanged, this, &TInpChan::SpinAgcGain);
    connect(c.dialAttack, &QDial::valueChanged, this, &TInpChan::DialAttack);
    connect(c.dialDecay, &QDial::valueChanged, this, &TInpChan::DialDecay);
    connect(c.dialNoiseLvl, &QDial::valueChanged, this, &TInpChan::DialNoiseLvl);
    connect(c.dialDetSignal, &QDial::valueChanged, this, &TInpChan::DialSignalDet);
    connect(c.dialDetNoise, &QDial::valueChanged, this, &TInpChan::DialNoiseDet);

    mapDirty(c.boxOff, &QGroupBox::toggled, 0x01);
    mapDirty(c.chkOnA, &QRadioButton::toggled, 0x01);
    mapDirty(c.chkOffA, &QRadioButton::toggled, 0x01);
    mapDirty(c.chkOnB, &QRadioButton::toggled, 0x01);
    mapDirty(c.chkOffB, &QRadioButton::toggled, 0x01);
    mapDirty(c.dialAtt, &QDial::valueChanged, 0x02);
    mapDirty(c.dialGain, &QDial::valueChanged, 0x04);
    mapDirty(c.boxAmp, &QGroupBox::toggled, 0x04);
    mapDirty(c.dialAgcGain, &QDial::valueChanged, 0x08);
    mapDirty(c.radioAgc, &QRadioButton::toggled, 0x10);
    mapDirty(c.dialAgcLvl, &QDial::valueChanged, 0x10);
    mapDirty(c.dialAttack, &QDial::valueChanged, 0x10);
    mapDirty(c.dialDecay, &QDial::valueChanged, 0x10);
    mapDirty(c.dialNoiseLvl, &QDial::valueChanged, 0x20);
    mapDirty(c.checkClip, &QCheckBox::toggled, 0x20);
    for (int i = 1; i < 4; ++i)
        mapDirty(c.radioNoiseGate[i], &QRadioButton::toggled, 0x20);
    mapDirty(c.dialDetSignal, &QDial::valueChanged, 0x40);
    mapDirty(c.dialDetNoise, &QDial::valueChanged, 0x40);
}

void TInpChan::Fill()
{
    const quint8 s = *sw;
    setRadioPair(c.chkOnA, s & ch.onA, c.chkOnB, s & ch.onB);
    if (s & (ch.offA | ch.offB)) {
        c.boxOff->setChecked(true);
        c.chkOffA->setChecked(s & ch.offA);
        c.chkOffB->setChecked(s & ch.offB);
    } else {
        c.boxOff->setChecked(false);
    }

    c.dialAtt->setValue(qMin<int>(blk[0], TScale::AttMax));

    c.boxAmp->setChecked(!(blk[1] & 0x80));
    c.dialGain->setValue(blk[1] & 0x7F);

    if (blk[2] & 0x80) {
        c.radioAgc->setChecked(true);
        c.radioPga->setChecked(false);
    } else {
        c.radioAgc->setChecked(false);
        c.radioPga->setChecked(true);
    }
    // The mode rule, and with the amplifier off everything that hangs on it stays off.
    ChkAmp(c.boxAmp->isChecked());

    c.dialAgcLvl->setValue((blk[2] >> 4) & 7);
    c.dialAttack->setValue((blk[2] >> 2) & 3);
    c.dialDecay->setValue(blk[2] & 3);

    c.dialAgcGain->setValue(blk[3] >> 1);

    c.dialNoiseLvl->setValue((blk[4] >> 1) & 0x1F);
    const int h = blk[4] >> 6;
    for (int i = 0; i < 4; ++i)
        c.radioNoiseGate[i]->setChecked(i == h);
    c.checkClip->setChecked(blk[4] & 1);

    c.dialDetNoise->setValue(blk[5] >> 3);
    c.dialDetSignal->setValue(blk[5] & 7);
}

void TInpChan::Store(quint8 *switching, quint8 *block)
{
    quint8 s = *switching & ~(ch.onA | ch.onB | ch.offA | ch.offB);
    if (c.chkOnA->isChecked())
        s |= ch.onA;
    if (c.chkOnB->isChecked())
        s |= ch.onB;
    if (c.boxOff->isChecked()) {
        if (c.chkOffA->isChecked())
            s |= ch.offA;
        if (c.chkOffB->isChecked())
            s |= ch.offB;
    }
    *switching = s;

    block[0] = quint8(c.dialAtt->value());
    block[1] = quint8((c.dialGain->value() & 0x7F) | (c.boxAmp->isChecked() ? 0 : 0x80));
    block[2] = quint8((c.radioAgc->isChecked() ? 0x80 : 0) | (c.dialAgcLvl->value() & 7) << 4 |
                      (c.dialAttack->value() & 3) << 2 | (c.dialDecay->value() & 3));
    block[3] = quint8(c.dialAgcGain->value() * 2);
    quint8 n = quint8((c.checkClip->isChecked() ? 1 : 0) | (c.dialNoiseLvl->value() & 0x1F) << 1);
    if (c.radioNoiseGate[1]->isChecked())
        n |= 0x40;
    if (c.radioNoiseGate[2]->isChecked())
        n |= 0x80;
    if (c.radioNoiseGate[3]->isChecked())
        n |= 0xC0;
    block[4] = n;
    block[5] = quint8((c.dialDetSignal->value() & 7) | c.dialDetNoise->value() << 3);
}

void TInpChan::storeWork()
{
    Store(sw, blk);
}

void TInpChan::writeDefaults()
{
    ch.defaults(sw, blk);
}

// The amplifier and AGC switches are judged against what the board last received, not
// against the working copy: "Сброс" rewrites the working copy while live control runs, and
// comparing with that would leave the board muted or in AGC after a reset.
void TInpChan::noteSent()
{
    sentAmpOff = blk[1] & 0x80;
    sentAgcOn = blk[2] & 0x80;
}

void TInpChan::liveStarted()
{
    // Entering live control sends nothing: the board is taken to work with the record.
    noteSent();
}

void TInpChan::sendChanges(int mask)
{
    const TScale::ChanRegs &r = TScale::Regs(ch.scale);
    const bool wasAmpOff = sentAmpOff;
    const bool wasAgcOn = sentAgcOn;
    storeWork();
    noteSent();

    if (sentAmpOff != wasAmpOff)
        postCodec(r.inpLvl, TScale::InpLvlReg(ch.scale, blk[0], sentAmpOff));
    if (sentAgcOn != wasAgcOn) {
        if (sentAgcOn) {
            quint8 pairs[TScale::AgcOnPairs * 2];
            postCodec(pairs, TScale::AgcOnSequence(ch.scale, blk, pairs));
        } else {
            postCodec(r.agcSwitch, TScale::AgcSwitchOff);
        }
    }
    if (mask & 0x01)
        postCtl(ch.ctlTask, sw);
    if (mask & 0x02)
        postCodec(r.inpLvl, TScale::InpLvlReg(ch.scale, blk[0], false));
    if (mask & 0x04)
        postCodec(r.gain, blk[1]);
    if (mask & 0x10)
        postCodec(r.agc, blk[2]);
    if (mask & 0x08)
        postCodec(r.agcGain, blk[3]);
    if (mask & 0x20)
        postCodec(r.noise, blk[4]);
    if (mask & 0x40)
        postCodec(r.detect, blk[5]);
}

void TInpChan::ChkAmp(bool on)
{
    if (ch.attFollowsAmp)
        c.boxAtt->setEnabled(on);
    setAmpRules(on, c.radioPga->isChecked());
}

void TInpChan::ChkPga(bool on)
{
    if (on)
        setAmpRules(true, true);
}

void TInpChan::ChkAgc(bool on)
{
    if (on)
        setAmpRules(true, false);
}

// The enable rules: with the amplifier off nothing that hangs on it can be used (the
// unchecked group box has disabled the clip box already, but a mode rule may have enabled
// it explicitly); with it on, constant gain offers the gain, AGC the clip limiter and the
// AGC settings.
void TInpChan::setAmpRules(bool ampOn, bool pga)
{
    c.boxGain->setEnabled(ampOn && pga);
    const std::initializer_list<QWidget *> agcSide = {c.checkClip, c.boxAgcLvl, c.boxAgcGain,
                                                      c.tabAgc};
    for (QWidget *w : agcSide)
        w->setEnabled(ampOn && !pga);
}

void TInpChan::DialAgcLvl(int code)
{
    double db, step;
    if (!TScale::AgcLvlDb(code, &db, &step))
        return;
    c.spinAgcLvl->setSingleStep(step);
    c.spinAgcLvl->setValue(db);
}

void TInpChan::SpinAgcLvl(double db)
{
    const TScale::AgcLvl lvl = TScale::AgcLvlSnap(db);
    c.spinAgcLvl->setSingleStep(lvl.step);
    c.spinAgcLvl->setValue(lvl.db);
    c.dialAgcLvl->setValue(lvl.code);
}
