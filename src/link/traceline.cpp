#include "traceline.h"

QString TraceLine::text(const quint8 *rec, const QString &stamp)
{
    const int n = int(rec[0]) - 1;
    if (n <= 0)
        return QString();
    QString line = stamp + QStringLiteral("-> ");
    switch (rec[1]) {
    case 0:
        line += QStringLiteral("RAD->Q275=>");
        break;
    case 1:
        line += QStringLiteral("I2C TxD=>");
        break;
    case 2:
        line += QStringLiteral("PROIS RxD=>");
        break;
    case 3:
        line += QStringLiteral("PROIS TxD=>");
        break;
    default:
        return line + tr("ошибка канала=") + QString::number(rec[1]) + QStringLiteral(" ; n=") +
               QString::number(n);
    }
    for (int i = 0; i < n; ++i) {
        const quint8 b = rec[2 + i];
        line += (b < 0x10 ? QStringLiteral("0x0") : QStringLiteral("0x")) +
                QString::number(b, 16).toUpper() + QStringLiteral("; ");
    }
    return line;
}
