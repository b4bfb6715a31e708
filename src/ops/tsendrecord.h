#ifndef TSENDRECORD_H
#define TSENDRECORD_H

#include "config/tq275.h"
#include "ops/tprogress.h"

// The body of the write and test windows: each sends its own copy of the record it was
// given, so later edits do not change what goes to the board. They differ only in the
// task, the thread's signals that end it and the texts.
class TSendRecord : public TProgress
{
    Q_OBJECT

public slots:
    void Stop();
    void Error();
    void BarMax(quint32 max);
    void BarCnt(quint32 cnt);

protected:
    struct Task {
        quint32 (TThread::*post)(const quint8 *data, quint32 len);
        void (TThread::*stopped)();
        void (TThread::*failed)();
        QString running, done, error; // the label's texts
    };

    TSendRecord(TThread *thread, const TQ275 *cfg, const Task &task);

private:
    TQ275 copy;
    QString doneText, errorText;
};

#endif // TSENDRECORD_H
