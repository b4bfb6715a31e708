#include "config/hextext.h"

namespace
{
QString digits(quint8 b)
{
    return QString::number(b, 16).toUpper();
}
} // namespace

QString HexText::byte(quint8 b)
{
    return QStringLiteral("0x") + digits(b).rightJustified(2, QLatin1Char('0'));
}

QString HexText::list(const quint8 *bytes, int count)
{
    QString text;
    for (int i = 0; i < count; ++i)
        text += byte(bytes[i]) + QStringLiteral("; ");
    return text;
}

QString HexText::packed(const quint8 *bytes, int count)
{
    QString text = QStringLiteral("0x");
    for (int i = 0; i < count; ++i)
        text += digits(bytes[i]);
    return text;
}
