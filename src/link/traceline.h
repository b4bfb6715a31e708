#ifndef TRACELINE_H
#define TRACELINE_H

#include <QCoreApplication>
#include <QString>

// One trace record as the trace monitor shows it. The record: byte 0 = m (the bytes that
// follow), byte 1 = the channel, bytes 2..m = the traced data.
class TraceLine
{
    Q_DECLARE_TR_FUNCTIONS(TraceLine)

public:
    // "14:05:09-> I2C TxD=>0x0A; 0xFF; " after the time stamp stamp, or the channel-error
    // line for an unknown channel; empty for a record without data (m of 0 or 1).
    static QString text(const quint8 *record, const QString &stamp);
};

#endif // TRACELINE_H
