#include "link/traceline.h"

#include <iterator>

#include "config/hextext.h"

QString TraceLine::text(const quint8 *rec, const QString &stamp)
{
    // The four trace streams of the board, by channel number.
    static const char *const channels[] = {"RAD->Q275=>", "I2C TxD=>", "PROIS RxD=>",
                                           "PROIS TxD=>"};
    const int n = int(rec[0]) - 1;
    if (n <= 0)
        return QString();
    const QString line = stamp + QStringLiteral("-> ");
    if (size_t(rec[1]) >= std::size(channels))
        return line + tr("ошибка канала=%1 ; n=%2").arg(int(rec[1])).arg(n);
    return line + QLatin1String(channels[rec[1]]) + HexText::list(rec + 2, n);
}
