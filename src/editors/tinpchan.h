#ifndef TINPCHAN_H
#define TINPCHAN_H

#include <QDial>
#include <QDoubleSpinBox>
#include <QLineEdit>

#include "editors/teditor.h"
#include "editors/tscale.h"

class QAbstractButton;
class QGroupBox;
class QRadioButton;
class QCheckBox;
class QTabWidget;

// The input channel editor shared by the microphone (TInpTx) and receiver (TInpRx)
// windows: the two forms hold the same controls, the channels differ in their
// switching bits, codec registers, control task and defaults.
class TInpChan : public TEditor
{
    Q_OBJECT

public:
    // What makes one channel differ from the other.
    struct Channel {
        TScale::Channel scale;
        quint8 onA, onB;   // switching bits of the first and second switch-on source
        quint8 offA, offB; // switching bits of the first and second switch-off source
        void (*defaults)(quint8 *switching, quint8 *block);
        TThread::TaskType ctlTask; // channel control task of live control
        bool attFollowsAmp;        // attenuator group enabled only with the amplifier on
    };
    static const Channel RxChannel, MicChannel;

    // Writes the controls into a switching byte (only this channel's four bits) and
    // into bytes 0 to 5 of a channel block.
    void Store(quint8 *switching, quint8 *block);
    void Fill() override;

public slots:
    void ChkAmp(bool on);
    void ChkPga(bool on);
    void ChkAgc(bool on);
    void DialGain(int code) { c.spinGain->setValue(TScale::GainDb(code)); }
    void SpinGain(double db) { c.dialGain->setValue(TScale::GainCode(db)); }
    void DialAgcLvl(int code);
    void SpinAgcLvl(double db);
    void DialAgcGain(int code) { c.spinAgcGain->setValue(TScale::GainDb(code)); }
    void SpinAgcGain(double db) { c.dialAgcGain->setValue(TScale::GainCode(db)); }
    void DialAttack(int code) { c.lineAttack->setText(TScale::AttackText(code)); }
    void DialDecay(int code) { c.lineDecay->setText(TScale::DecayText(code)); }
    void DialNoiseLvl(int code) { c.lineNoiseLvl->setText(TScale::NoiseLvlText(code)); }
    void DialSignalDet(int code) { c.lineDetSignal->setText(TScale::SignalDetText(code)); }
    void DialNoiseDet(int code) { c.lineDetNoise->setText(TScale::NoiseDetText(code)); }

protected:
    // The form's controls, by role.
    struct Controls {
        QGroupBox *boxAtt, *boxAmp, *boxGain, *boxAgcLvl, *boxAgcGain, *boxOn, *boxOff;
        QDial *dialAtt, *dialGain, *dialAgcLvl, *dialAgcGain;
        QDoubleSpinBox *spinAtt, *spinGain, *spinAgcLvl, *spinAgcGain;
        QRadioButton *radioPga, *radioAgc, *chkOnA, *chkOnB, *chkOffA, *chkOffB;
        QCheckBox *checkClip;
        QTabWidget *tabWidget;
        QWidget *tabAgc;
        QDial *dialAttack, *dialDecay, *dialDetSignal, *dialDetNoise, *dialNoiseLvl;
        QLineEdit *lineAttack, *lineDecay, *lineDetSignal, *lineDetNoise, *lineNoiseLvl;
        QRadioButton *radioNoiseGate[4];
    };
    // The switch-on and switch-off sources of the channel, first and second.
    struct Sources {
        QRadioButton *onA, *onB, *offA, *offB;
    };

    TInpChan(TThread *thread, const Channel &channel);

    // Takes the controls from the form; the attenuator group and the sources carry the
    // channel's own names.
    template <typename Ui> void bindForm(Ui &ui, QGroupBox *boxAtt, const Sources &sources);
    // Binds the record bytes and runs the construction steps that follow the form, with
    // the window's own attenuator slots.
    template <typename W>
    void init(quint8 *switching, quint8 *block, int mode, void (W::*dialAtt)(int),
              void (W::*spinAtt)(double));

    void attDialChanged(int code) { c.spinAtt->setValue(TScale::AttDb(code)); }
    void attSpinChanged(double db) { c.dialAtt->setValue(TScale::AttCode(db)); }

    void storeWork() override;
    void writeDefaults() override;
    void sendChanges(int mask) override;
    void liveStarted() override;

    Controls c;
    Buttons buttons;

private:
    // The identity variant and the common start; false when the editor only writes its
    // defaults (mode zero) and has closed.
    bool prepare(quint8 *switching, quint8 *block, int mode);
    void connectControls();
    void setAmpRules(bool ampOn, bool pga);
    void noteSent();

    const Channel ch;
    quint8 *sw = nullptr;
    quint8 *blk = nullptr;
    bool sentAmpOff = false; // amplifier and AGC state the board last got from live control
    bool sentAgcOn = false;
};

template <typename Ui> void TInpChan::bindForm(Ui &ui, QGroupBox *boxAtt, const Sources &sources)
{
    c.boxAtt = boxAtt;
    c.boxAmp = ui.boxAmp;
    c.boxGain = ui.boxGain;
    c.boxAgcLvl = ui.boxAgcLvl;
    c.boxAgcGain = ui.boxAgcGain;
    c.boxOn = ui.boxOn;
    c.boxOff = ui.boxOff;
    c.dialAtt = ui.dialAtt;
    c.dialGain = ui.dialGain;
    c.dialAgcLvl = ui.dialAgcLvl;
    c.dialAgcGain = ui.dialAgcGain;
    c.spinAtt = ui.spinAtt;
    c.spinGain = ui.spinGain;
    c.spinAgcLvl = ui.spinAgcLvl;
    c.spinAgcGain = ui.spinAgcGain;
    c.radioPga = ui.radioPga;
    c.radioAgc = ui.radioAgc;
    c.checkClip = ui.checkClip;
    c.tabWidget = ui.tabWidget;
    c.tabAgc = ui.tabAgc;
    c.dialAttack = ui.dialAttack;
    c.dialDecay = ui.dialDecay;
    c.dialDetSignal = ui.dialDetSignal;
    c.dialDetNoise = ui.dialDetNoise;
    c.dialNoiseLvl = ui.dialNoiseLvl;
    c.lineAttack = ui.lineAttack;
    c.lineDecay = ui.lineDecay;
    c.lineDetSignal = ui.lineDetSignal;
    c.lineDetNoise = ui.lineDetNoise;
    c.lineNoiseLvl = ui.lineNoiseLvl;
    c.chkOnA = sources.onA;
    c.chkOnB = sources.onB;
    c.chkOffA = sources.offA;
    c.chkOffB = sources.offB;
    c.radioNoiseGate[0] = ui.radioNoiseGate_0;
    c.radioNoiseGate[1] = ui.radioNoiseGate_1;
    c.radioNoiseGate[2] = ui.radioNoiseGate_2;
    c.radioNoiseGate[3] = ui.radioNoiseGate_3;
    buttons = {ui.bTest, ui.bReset, ui.bSave, ui.bClose};
}

template <typename W>
void TInpChan::init(quint8 *switching, quint8 *block, int mode, void (W::*dialAtt)(int),
                    void (W::*spinAtt)(double))
{
    if (!prepare(switching, block, mode))
        return;
    connect(c.dialAtt, &QDial::valueChanged, static_cast<W *>(this), dialAtt);
    connect(c.spinAtt, &QDoubleSpinBox::valueChanged, static_cast<W *>(this), spinAtt);
    connectControls();
    Fill();
}

#endif // TINPCHAN_H
