#include "config/hextext.h"

namespace
{
QString digits(quint8 b)
{
    return QString::number(b, 16).toUpper();
}

const char hexDigits[] = "0123456789ABCDEF";

// Appends "0x" and b's two capital digits to text.
void appendByte(QString &text, quint8 b)
{
    text += QLatin1String("0x");
    text += QLatin1Char(hexDigits[b >> 4]);
    text += QLatin1Char(hexDigits[b & 0x0F]);
}
} // namespace

QString HexText::byte(quint8 b)
{
    QString text;
    appendByte(text, b);
    return text;
}

// A trace monitor at full speed writes dozens of these lines a second: built in place.
QString HexText::list(const quint8 *bytes, int count)
{
    QString text;
    text.reserve(qMax(0, count) * 6);
    for (int i = 0; i < count; ++i) {
        appendByte(text, bytes[i]);
        text += QLatin1String("; ");
    }
    return text;
}

QString HexText::packed(const quint8 *bytes, int count)
{
    QString text = QStringLiteral("0x");
    for (int i = 0; i < count; ++i)
        text += digits(bytes[i]);
    return text;
}
