#include "config/boardidentity.h"

#include <cstring>

BoardIdentity::BoardIdentity(const quint8 *id, const quint8 *data)
{
    std::memcpy(ident, id, IdentSize);
    std::memcpy(info, data, InfoSize);
}

QString BoardIdentity::version() const
{
    return QString::number(ident[0]) + QLatin1Char('.') + QString::number(ident[1]);
}

QString BoardIdentity::isoDate() const
{
    return QString::number(year()).rightJustified(4, QLatin1Char('0')) + QLatin1Char('-') +
           QString::number(month()).rightJustified(2, QLatin1Char('0')) + QLatin1Char('-') +
           QString::number(day()).rightJustified(2, QLatin1Char('0'));
}

QString BoardIdentity::numberText(int number)
{
    return QString::number(number).rightJustified(4, QLatin1Char('0'));
}

QString BoardIdentity::dateText(int day, int month, int year)
{
    return QString::number(day).rightJustified(2, QLatin1Char('0')) + QLatin1Char('.') +
           QString::number(month).rightJustified(2, QLatin1Char('0')) + QLatin1Char('.') +
           QString::number(year);
}
