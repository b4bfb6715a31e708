#include "link/portname.h"

#include <algorithm>

namespace
{
bool isControl(QChar c)
{
    return c.category() == QChar::Other_Control || c.category() == QChar::Other_Format;
}
} // namespace

QString PortName::problem(const QString &name)
{
    if (name.size() > MaxLength)
        return tr("имя порта слишком длинное (%1 символов, не более %2)")
            .arg(name.size())
            .arg(int(MaxLength));
    if (std::any_of(name.cbegin(), name.cend(), isControl))
        return tr("в имени порта есть управляющий символ");
    return QString();
}

QString PortName::shown(const QString &name)
{
    QString out;
    for (const QChar c : name) {
        if (out.size() >= ShownLength) {
            out += QChar(0x2026);
            break;
        }
        out += isControl(c) ? QStringLiteral("\\x%1").arg(c.unicode(), 2, 16, QLatin1Char('0'))
                            : QString(c);
    }
    return out;
}
