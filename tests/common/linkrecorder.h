#ifndef LINKRECORDER_H
#define LINKRECORDER_H

#include <QObject>
#include <QStringList>

#include <functional>

#include "link/eventlog.h"

class TLink;
class TThread;

// Records what the link emits, one text per signal, in the order it arrives:
//   readErr, readCfg <20 bytes hex>, recvMax 23, recvCnt 5, testStp, testErr, saveStp,
//   saveErr, sendMax 9, sendCnt 9, traceRdy <count and data hex>, traceErr, mes <text>
// and "sleep <ms>" for each pause taken through pauses(). With a direct connection the
// worker records as it emits; otherwise the GUI thread records what it receives.
class LinkRecorder : public QObject
{
public:
    explicit LinkRecorder(TThread *thread, Qt::ConnectionType type = Qt::AutoConnection);
    explicit LinkRecorder(TLink *link);

    void add(const QString &event);
    void clear();
    QStringList events() const;
    // Without the progress signals (sendMax, sendCnt, recvMax, recvCnt).
    QStringList outcome() const;
    // The log texts only.
    QStringList lines() const;

    // A sleep function that records each pause and then calls then (if any).
    std::function<void(int)> pauses(std::function<void(int)> then = nullptr);

private:
    template <class Source> void recordCommon(Source *source, Qt::ConnectionType type);

    EventLog log;
};

// The identity record, then the board data record, as the thread keeps them.
QByteArray boardRecords(TThread &thread);

#endif // LINKRECORDER_H
