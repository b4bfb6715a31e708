#ifndef TINPCHAN_H
#define TINPCHAN_H

#include "teditor.h"
#include "tscale.h"

class QAbstractButton;
class QDial;
class QDoubleSpinBox;
class QGroupBox;
class QLineEdit;
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
        quint8 onA, onB;    // switching bits of the first and second switch-on source
        quint8 offA, offB;  // switching bits of the first and second switch-off source
        quint8 defBlock[6]; // default block bytes 0 to 5
        int ctlTask;        // channel control task of live control
        bool attFollowsAmp; // attenuator group enabled only with the amplifier on
    };

    // Writes the controls into a switching byte (only this channel's four bits) and
    // into bytes 0 to 5 of a channel block.
    void Store(quint8 *switching, quint8 *block);
    void Fill() override;

public slots:
    void ChkAmp(bool on);
    void ChkPga(bool on);
    void ChkAgc(bool on);
    void DialGain(int code);
    void SpinGain(double db);
    void DialAgcLvl(int code);
    void SpinAgcLvl(double db);
    void DialAgcGain(int code);
    void SpinAgcGain(double db);
    void DialAttack(int code);
    void DialDecay(int code);
    void DialNoiseLvl(int code);
    void DialSignalDet(int code);
    void DialNoiseDet(int code);

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
        QPushButton *bTest, *bReset, *bSave, *bClose;
    };

    TInpChan(TThread *thread, const Channel &channel);

    // Fills the controls from the form, binds the record bytes and runs the
    // construction steps that follow the form (identity variant, mode zero, connections).
    template <typename Ui> void bindForm(Ui *ui);
    void init(quint8 *switching, quint8 *block, int mode);

    // The attenuator pair, whose slots carry different names in the two windows.
    virtual void connectAtt() = 0;
    void attDialChanged(int code);
    void attSpinChanged(double db);

    void storeWork() override;
    void writeDefaults() override;
    void sendChanges(int mask) override;
    void liveStarted() override;

    Controls c;

private:
    void noteSent();

    const Channel ch;
    quint8 *sw = nullptr;
    quint8 *blk = nullptr;
    bool sentAmpOff = false; // amplifier and AGC state the board last got from live control
    bool sentAgcOn = false;
};

template <typename Ui> void TInpChan::bindForm(Ui *ui)
{
    c.boxAmp = ui->boxAmp;
    c.boxGain = ui->boxGain;
    c.boxAgcLvl = ui->boxAgcLvl;
    c.boxAgcGain = ui->boxAgcGain;
    c.boxOn = ui->boxOn;
    c.boxOff = ui->boxOff;
    c.dialAtt = ui->dialAtt;
    c.dialGain = ui->dialGain;
    c.dialAgcLvl = ui->dialAgcLvl;
    c.dialAgcGain = ui->dialAgcGain;
    c.spinAtt = ui->spinAtt;
    c.spinGain = ui->spinGain;
    c.spinAgcLvl = ui->spinAgcLvl;
    c.spinAgcGain = ui->spinAgcGain;
    c.radioPga = ui->radioPga;
    c.radioAgc = ui->radioAgc;
    c.checkClip = ui->checkClip;
    c.tabWidget = ui->tabWidget;
    c.tabAgc = ui->tabAgc;
    c.dialAttack = ui->dialAttack;
    c.dialDecay = ui->dialDecay;
    c.dialDetSignal = ui->dialDetSignal;
    c.dialDetNoise = ui->dialDetNoise;
    c.dialNoiseLvl = ui->dialNoiseLvl;
    c.lineAttack = ui->lineAttack;
    c.lineDecay = ui->lineDecay;
    c.lineDetSignal = ui->lineDetSignal;
    c.lineDetNoise = ui->lineDetNoise;
    c.lineNoiseLvl = ui->lineNoiseLvl;
    c.radioNoiseGate[0] = ui->radioNoiseGate_0;
    c.radioNoiseGate[1] = ui->radioNoiseGate_1;
    c.radioNoiseGate[2] = ui->radioNoiseGate_2;
    c.radioNoiseGate[3] = ui->radioNoiseGate_3;
    c.bTest = ui->bTest;
    c.bReset = ui->bReset;
    c.bSave = ui->bSave;
    c.bClose = ui->bClose;
}

#endif // TINPCHAN_H
