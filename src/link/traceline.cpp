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
        return line + tr("ошибка канала=") + QString::number(rec[1]) + QStringLiteral(" ; n=") +
               QString::number(n);
    return line + QLatin1String(channels[rec[1]]) + HexText::list(rec + 2, n);
}
