#include "tq275.h"

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
