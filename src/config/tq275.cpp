#include "config/tq275.h"

#include <cstring>

quint8 TQ275::computeChecksum() const
{
    quint8 sum = ChecksumBase;
    const quint8 *b = bytes();
    for (int i = 0; i < Size - 1; ++i)
        sum = quint8(sum - b[i]);
    return sum;
}

void TQ275::updateChecksum()
{
    checksum = computeChecksum();
}

bool TQ275::isValid() const
{
    quint8 sum = ChecksumBase;
    const quint8 *b = bytes();
    for (int i = 0; i < Size; ++i)
        sum = quint8(sum - b[i]);
    return sum == 0;
}

void TQ275::copyRxPart(TQ275 &dst, const TQ275 &src)
{
    dst.switching = src.switching;
    std::memcpy(dst.rx, src.rx, 6);
}

void TQ275::copyMicPart(TQ275 &dst, const TQ275 &src)
{
    dst.switching = src.switching;
    std::memcpy(dst.mic, src.mic, 6);
}

void TQ275::copyOutPart(TQ275 &dst, const TQ275 &src)
{
    std::memcpy(dst.rx + 6, src.rx + 6, 2);
    std::memcpy(dst.mic + 6, src.mic + 6, 2);
}

void TQ275::rxDefaults(quint8 *switching, quint8 *rx)
{
    static const quint8 block[6] = {0x04, 0x00, 0x73, 0x64, 0x8F, 0x41};
    *switching |= RxCosOn | RxCosOff;
    std::memcpy(rx, block, sizeof block);
}

void TQ275::micDefaults(quint8 *switching, quint8 *mic)
{
    static const quint8 block[6] = {0x00, 0x16, 0x73, 0x64, 0x8F, 0x41};
    *switching |= MicPttOn | MicPttOff;
    std::memcpy(mic, block, sizeof block);
}

void TQ275::outDefaults(quint8 *rxOut, quint8 *micOut)
{
    // Both channels on at pin 3, off at pin 8, level code 0 (0 dB) everywhere.
    rxOut[0] = micOut[0] = 0x80;
    rxOut[1] = micOut[1] = 0x00;
}

TQ275 TQ275::newRecord()
{
    TQ275 rec;
    std::memset(rec.bytes(), 0, Size);
    rxDefaults(&rec.switching, rec.rx);
    micDefaults(&rec.switching, rec.mic);
    outDefaults(rec.rx + 6, rec.mic + 6);
    rec.updateChecksum();
    return rec;
}
