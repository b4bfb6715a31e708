#ifndef TSCALE_H
#define TSCALE_H

#include <QCoreApplication>
#include <QString>
#include <QtGlobal>

// The scales between the board's level codes and what the editors show in decibels and
// milliseconds, plus the codec register numbers of live control. Pure functions only.
class TScale
{
    Q_DECLARE_TR_FUNCTIONS(TScale)

public:
    enum Channel { Rx, Mic };

    // One AGC output level band: its code, the dB value it is shown with and the spin step.
    struct AgcLvl {
        int code;
        double db;
        double step;
    };

    // Codec register numbers of one input channel.
    struct ChanRegs {
        quint8 inpLvl;    // input level (attenuator and mute)
        quint8 gain;      // amplifier gain and mute
        quint8 agc;       // AGC mode, level and times
        quint8 agcGain;   // AGC maximum gain
        quint8 noise;     // noise gate and clip
        quint8 detect;    // detection delays
        quint8 agcSwitch; // AGC switch
    };

    enum {
        AgcSwitchOn = 0x7C,
        AgcSwitchOff = 0x78,
        AgcOnPairs = 11,
        RegRx3 = 60,
        RegRx8 = 46,
        RegMic3 = 63,
        RegMic8 = 49,
        AttMax = 8,
        GainMax = 119,
        OutLvlOff = 118
    };

    static double AttDb(int code);
    static int AttCode(double db);
    static double GainDb(int code);
    static int GainCode(double db);
    // False for codes outside 0 to 7; the caller then leaves its spin box alone.
    static bool AgcLvlDb(int code, double *db, double *step = nullptr);
    static AgcLvl AgcLvlSnap(double db);

    static QString AttackText(int code);
    static QString DecayText(int code);
    static QString NoiseLvlText(int code);
    static QString SignalDetText(int code);
    static QString NoiseDetText(int code);
    static QString OutLvlText(int code);

    static quint8 InpLvlReg(Channel channel, int code, bool amplifierOff);
    static const ChanRegs &Regs(Channel channel);

    // Fills pairs (22 bytes) with the AGC switch-on sequence of the channel, taking the
    // AGC maximum gain, noise and detection bytes from its block; returns the pair count.
    static int AgcOnSequence(Channel channel, const quint8 *block, quint8 *pairs);

    // Plain number text: up to 6 significant digits, no trailing zeros, '.' and '-', no "-0".
    static QString Number(double value);
};

#endif // TSCALE_H
