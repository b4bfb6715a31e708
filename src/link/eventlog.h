#ifndef EVENTLOG_H
#define EVENTLOG_H

#include <QMutex>
#include <QStringList>

// Lines that one thread records while another reads them. Every line goes in and comes
// out as a copy of its own, so that the two threads never share a string.
class EventLog
{
public:
    void add(const QString &line);
    void clear();
    QStringList lines() const;

private:
    mutable QMutex lock;
    QStringList list;
};

#endif // EVENTLOG_H
