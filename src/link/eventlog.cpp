#include "link/eventlog.h"

#include <QMutexLocker>

namespace
{
QString copyOf(const QString &s)
{
    return QString(s.constData(), s.size());
}
} // namespace

void EventLog::add(const QString &line)
{
    QMutexLocker l(&lock);
    list << copyOf(line);
}

void EventLog::clear()
{
    QMutexLocker l(&lock);
    list.clear();
}

QStringList EventLog::lines() const
{
    QMutexLocker l(&lock);
    QStringList out;
    for (const QString &s : list)
        out << copyOf(s);
    return out;
}
