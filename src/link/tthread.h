#ifndef TTHREAD_H
#define TTHREAD_H

#include <QByteArray>
#include <QList>
#include <QMutex>
#include <QString>
#include <QThread>

#include <condition_variable>
#include <functional>
#include <memory>

#include "tlink.h"
#include "tq275.h"

class TLinkPort;

// The link worker: owns the serial port and runs the board tasks one at a time,
// in posting order. Windows post tasks and listen to the signals; they never wait.
class TThread : public QThread
{
    Q_OBJECT

public:
    enum { IdentSize = 18, InfoSize = 22 };

    enum TaskType {
        TaskReadCfg = 1,
        TaskTestCfg = 2,
        TaskSaveCfg = 3,
        TaskTrace = 4,
        TaskTracePoll = 5,
        TaskInfoWrite = 6,
        TaskCodec = 7,
        TaskRxCtl = 8,
        TaskMicCtl = 9
    };

    // Makes the device the worker talks through. It is called on the worker
    // thread each time the worker starts, and the device is released there
    // when the worker ends. The default makes a TSerialPort.
    using PortFactory = std::function<std::shared_ptr<TLinkPort>()>;
    // Every pause of the link: 250 and 1000 ms between attempts, 15000 ms
    // after an empty trace poll. The default sleeps (the trace pause ends
    // early when the stop flag is set).
    using SleepFunction = std::function<void(int ms)>;

    TThread();
    ~TThread() override;

    // Both take effect when the worker next starts; install them before the
    // first post.
    void setPortFactory(PortFactory factory);
    void setSleepFunction(SleepFunction sleep);

    // GUI side (each takes the mutex).
    void setPort(const QString &name);
    void setMode(int mode);
    void requestStop();
    void getIdent(quint8 *ident); // copies the 18-byte identity record
    void getInfo(quint8 *info);   // copies the 22-byte board data record

    // The nine task types; callable from any thread, the worker included.
    void postRead();
    void postTest(const quint8 *data, quint32 len);
    void postSave(const quint8 *data, quint32 len);
    void postTrace(int mask);
    void postTracePoll();
    void postInfo(const quint8 *data, quint32 len);
    void postCodec(const quint8 *pairs, int count);
    void postRxCtl(const quint8 *flags);
    void postMicCtl(const quint8 *flags);

signals:
    void readErr();
    void readCfg(TQ275 *cfg);
    void recvMax(qint32 len);
    void recvCnt(qint32 cnt);
    void testStp();
    void testErr();
    void saveStp();
    void saveErr();
    void sendMax(quint32 len);
    void sendCnt(quint32 cnt);
    void traceRdy(quint8 *rec);
    void traceErr();
    void mes(QString text);

protected:
    void run() override;

private:
    // One queued work item: its type and a private copy of its data. len is
    // the length the caller asked for; a task whose data would not fit one
    // request frame carries no copy and is refused when it runs.
    struct Task {
        int type = 0;
        qint64 len = 0;
        QByteArray data;
    };

    // The pointer signals are queued to the GUI thread, whose slot copies the
    // record some time later. Were the worker to write the next record into
    // the same bytes, a late slot would copy a mix of two records. So each
    // record gets the next buffer of a small ring: a buffer is written again
    // only after RingSize - 1 further records of its kind, each of which costs
    // at least one whole exchange on the 9600-baud line, while the windows ask
    // for the next record only after copying the last. The signatures stay as
    // they are; the windows still copy at once.
    enum { CfgRing = 4, TraceRing = 8, TraceRecordSize = 64 };

    void enqueue(int type, const quint8 *data, qint64 len);
    void runTask(const Task &task);
    void readConfig();
    void noIdentity();
    void tracePoll();
    void tracePause();
    void joinWorker();

    QMutex mutex;
    // Wakes the trace pause when the stop flag is set. It waits on the
    // mutex above through QMutex's own lock and unlock, so that thread
    // checkers see every hand-over of the mutex.
    std::condition_variable_any stopWake;
    QList<Task> queue;
    bool stopFlag = false;
    bool workerActive = false; // a worker has been started and has not yet found the queue empty
    QString portName;
    int mode = 0;
    PortFactory portFactory;
    SleepFunction sleepFunction;

    // Worker thread only.
    TLink link;
    SleepFunction workerSleep;
    bool traceActive = false;
    TQ275 cfgBuffers[CfgRing] = {};
    int cfgNext = 0;
    quint8 traceBuffers[TraceRing][TraceRecordSize] = {};
    int traceNext = 0;

    // Under the mutex.
    quint8 identRecord[IdentSize] = {};
    quint8 infoRecord[InfoSize] = {};
};

#endif // TTHREAD_H
