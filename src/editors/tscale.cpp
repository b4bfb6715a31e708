#include "editors/tscale.h"

#include <cmath>

namespace
{

// Truncation toward zero that is not fooled by a quotient a hair below a whole number.
int truncCode(double x)
{
    return int(std::trunc(x + std::copysign(1e-9, x)));
}

const double agcLvlDb[8] = {-5.5, -8, -10, -12, -14, -17, -20, -24};
const double agcLvlStep[8] = {2.5, 2, 2, 2, 2, 3, 3, 4};

const double outLvlLow[14] = {-52.2, -52.7, -53.7, -54.2, -55.3, -56.7, -58.3,
                              -60.2, -62.7, -64.3, -66.2, -68.7, -72.2, -78.3};

const TScale::ChanRegs rxRegs = {17, 15, 26, 27, 28, 34, 19};
const TScale::ChanRegs micRegs = {18, 16, 29, 30, 31, 35, 22};

} // namespace

double TScale::AttDb(int code)
{
    return -1.5 * code;
}

int TScale::AttCode(double db)
{
    return truncCode(db / -1.5);
}

double TScale::GainDb(int code)
{
    return 0.5 * code;
}

int TScale::GainCode(double db)
{
    return truncCode(2 * db);
}

bool TScale::AgcLvlDb(int code, double *db, double *step)
{
    if (code < 0 || code > 7)
        return false;
    if (db)
        *db = agcLvlDb[code];
    if (step)
        *step = agcLvlStep[code];
    return true;
}

TScale::AgcLvl TScale::AgcLvlSnap(double db)
{
    static const double below[7] = {-20, -17, -14, -12, -10, -8, -6};
    for (int i = 0; i < 7; ++i) {
        if (db < below[i]) {
            const int code = 7 - i;
            return {code, agcLvlDb[code], agcLvlStep[code]};
        }
    }
    return {0, agcLvlDb[0], agcLvlStep[0]};
}

QString TScale::AttackText(int code)
{
    static const char *const texts[4] = {"8", "11", "16", "20"};
    return code >= 0 && code <= 3 ? QString::fromLatin1(texts[code]) : QString();
}

QString TScale::DecayText(int code)
{
    static const char *const texts[4] = {"100", "200", "400", "500"};
    return code >= 0 && code <= 3 ? QString::fromLatin1(texts[code]) : QString();
}

QString TScale::NoiseLvlText(int code)
{
    if (code == 0)
        return tr("Откл.");
    return Number(-(2 * code + 28));
}

QString TScale::SignalDetText(int code)
{
    const double ms = 0.25 * std::ldexp(1.0, code);
    return Number(ms < 0.5 ? 0 : ms);
}

QString TScale::NoiseDetText(int code)
{
    if (code <= 7)
        return SignalDetText(code);
    return Number(64 * (code - 7));
}

QString TScale::OutLvlText(int code)
{
    if (code >= OutLvlOff)
        return tr("Откл.");
    if (code >= 104)
        return Number(outLvlLow[code - 104]);
    double db = 0.5 * code;
    if (code >= 99)
        db += 0.3;
    else if (code >= 72)
        db += 0.2;
    else if (code >= 38)
        db += 0.1;
    return Number(-db);
}

quint8 TScale::InpLvlReg(Channel channel, int code, bool amplifierOff)
{
    if (amplifierOff)
        return 0xFF;
    if (channel == Mic)
        return quint8(0xF0 | (code & 0x0F));
    return quint8(((code & 0x0F) << 4) | 0x0F);
}

const TScale::ChanRegs &TScale::Regs(Channel channel)
{
    return channel == Rx ? rxRegs : micRegs;
}

int TScale::AgcOnSequence(Channel channel, const quint8 *block, quint8 *pairs)
{
    const ChanRegs &r = Regs(channel);
    const quint8 seq[AgcOnPairs * 2] = {
        2,         0x00,     3,       0x81,     4,        0x30,    5,           0x03,
        6,         0x90,     11,      0x01,     8,        0xC0,    r.agcSwitch, AgcSwitchOn,
        r.agcGain, block[3], r.noise, block[4], r.detect, block[5]};
    std::copy(seq, seq + AgcOnPairs * 2, pairs);
    return AgcOnPairs;
}

QString TScale::Number(double value)
{
    if (value == 0)
        value = 0; // no "-0"
    QString s = QString::number(value, 'g', 6);
    if (s == QLatin1String("-0"))
        s = QStringLiteral("0");
    return s;
}
