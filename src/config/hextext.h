#ifndef HEXTEXT_H
#define HEXTEXT_H

#include <QString>

// Bytes as the log, the trace monitor and the information window write them: "0x" and
// capital hexadecimal digits.
class HexText
{
public:
    // "0x0F": two digits, a leading zero below 0x10.
    static QString byte(quint8 b);
    // "0xFF; 0x0A; ": every byte as byte() writes it, each followed by "; ".
    static QString list(const quint8 *bytes, int count);
    // "0x080": one "0x", then every byte without a leading zero and without separators.
    static QString packed(const quint8 *bytes, int count);
};

#endif // HEXTEXT_H
