#ifndef TTHREAD_H
#define TTHREAD_H

#include <QByteArray>
#include <QList>
#include <QMutex>
#include <QString>
#include <QThread>

#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>

#include "config/boardidentity.h"
#include "config/tq275.h"
#include "link/tlink.h"

class TLinkPort;

// The link worker: owns the serial port and runs the board tasks one at a time,
// in posting order. Windows post tasks and listen to the signals; they never wait.
class TThread : public QThread
{
    Q_OBJECT

public:
    enum TaskType {
        TaskReadCfg = 1,
        TaskTestCfg = 2,
        TaskSaveCfg = 3,
        TaskTrace = 4,
        TaskTracePoll = 5,
        TaskInfoWrite = 6,
        TaskCodec = 7,
        TaskRxCtl = 8,
        TaskMicCtl = 9,
        TaskIdent = 10,    // the identity and board data alone, as a read gets them
        TaskVerifyCfg = 11 // the configuration read back (0x76) and compared with the task's
    };

    // How a task ended, as taskEnd reports it.
    enum TaskResult {
        TaskDone = 0,       // carried out (a board without identity included)
        TaskLineFailed = 1, // the line failed: no echo, no answer, time-outs, a lost port
        TaskRefused = 2,    // the board refused: an error answer or a status other than "0"
        TaskDiffers = 3     // the board holds another configuration than the one compared with
    };

    // Makes the device the worker talks through. It is called on the worker
    // thread each time the worker starts, and the device is released there
    // when the worker ends. Without one, the port name chooses before each task:
    // "DEMO" the demo board (TDemoPort, kept as long as the thread object, so that
    // its trace goes on from one worker to the next), any other name the serial port.
    using PortFactory = std::function<std::shared_ptr<TLinkPort>()>;
    // Every pause of the link: 250 and 1000 ms between attempts, 15000 ms
    // after an empty trace poll. The default sleeps, and ends at once when
    // the stop is requested.
    using SleepFunction = std::function<void(int ms)>;

    // How long closing may wait for a worker whose line does not answer, and how long
    // the worker then tries to switch the board's trace off.
    enum { StopWaitMs = 1500, TraceOffMs = 700 };
    // How long the worker keeps the line open for the trace's next poll.
    enum { NextPollWaitMs = 200 };

    TThread();
    ~TThread() override;

    // Both take effect when the worker next starts; install them before the
    // first post.
    void setPortFactory(PortFactory factory);
    void setSleepFunction(SleepFunction sleep);

    // GUI side (each takes the mutex).
    void setPort(const QString &name);
    void setMode(int mode);
    // Ends the work: the task under way ends as failed at its next step (its pauses
    // end at once), queued tasks are dropped, and a board that may be left tracing is told
    // to stop.
    void requestStop();
    void getIdent(quint8 *ident); // copies the 18-byte identity record
    void getInfo(quint8 *info);   // copies the 22-byte board data record

    // The nine task types; callable from any thread, the worker included. Each returns
    // the task's number (never 0; 0 when nothing was queued): the signals of a task come
    // between taskBeg and taskEnd with its number, so that a window can tell its own.
    quint32 postRead();
    quint32 postIdent();
    quint32 postTest(const quint8 *data, quint32 len);
    quint32 postSave(const quint8 *data, quint32 len);
    // Reads the board's configuration (0x76 alone) and compares it byte for byte with the 20
    // bytes given: a difference ends the task as TaskDiffers, with a log line naming the first
    // differing byte.
    quint32 postVerify(const quint8 *data, quint32 len);
    // With it on, a configuration the board accepted to store (postSave) is read back and
    // compared as postVerify does before saveStp; a difference, or a failed read, is saveErr.
    // Off by default.
    void setVerifyWrites(bool on) { verifyWrites = on; }
    quint32 postTrace(int mask);
    // The next poll of a running trace, asked for once per trace record: a poll is queued
    // only for the newest record since tracing was last switched, and never beside
    // another one, so a trace has exactly one chain of polls.
    quint32 postTracePoll();
    quint32 postInfo(const quint8 *data, quint32 len);
    quint32 postCodec(const quint8 *pairs, int count);
    quint32 postRxCtl(const quint8 *flags);
    quint32 postMicCtl(const quint8 *flags);

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
    void taskBeg(quint32 task);
    void taskEnd(quint32 task, int result);

protected:
    void run() override;

private:
    // One queued work item: its type and a private copy of its data. len is
    // the length the caller asked for; a task whose data would not fit one
    // request frame carries no copy and is refused when it runs.
    struct Task {
        quint32 id = 0;
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

    quint32 enqueue(int type, const quint8 *data, qint64 len);
    quint32 enqueuePoll(bool asked);
    bool pollPendingLocked() const;
    enum class Next { Run, Stop, Idle };
    Next takeTask(Task &task, QString &port); // port: the port name the task runs on
    void runOne(const Task &task);
    int runTask(const Task &task);
    int sendConfig(bool test, const quint8 *data, int len);
    int writeInfo(const quint8 *data, int len);
    // A codec or channel-control command, with its lines for a failed transfer and for success.
    int control(quint8 cmd, const quint8 *data, int len, const QString &failed,
                const QString &done);
    int readConfig();
    int readIdentity();
    int verifyConfig(const quint8 *expected, int len);
    void noIdentity();
    // Keeps a copy of a configuration read from or accepted by the board in its history.
    void keepCopy(const quint8 *cfg, int kind);
    int traceSwitch(const quint8 *data, int len);
    int tracePoll();
    void traceOffOnStop();
    void pause(int ms);
    void waitForNextPoll();
    bool pollAsked(); // the reader may ask, or has asked, for the trace's next poll
    void joinWorker();
    std::shared_ptr<TLinkPort> lineFor(const QString &name, std::shared_ptr<TLinkPort> &serial);

    QMutex mutex;
    // Wakes the worker in a pause when the stop flag is set, and while it waits for the
    // trace's next poll when a task is queued. It waits on the mutex above through QMutex's
    // own lock and unlock, so that thread checkers see every hand-over of the mutex.
    std::condition_variable_any wake;
    QList<Task> queue;
    quint32 lastId = 0;
    bool stopFlag = false;
    std::atomic<bool> verifyWrites{false};
    std::atomic<bool> stopping{false}; // stopFlag, for the link's checks without the mutex
    bool workerActive = false; // a worker has been started and has not yet found the queue empty
    QString portName;
    int mode = 0;
    PortFactory portFactory;
    SleepFunction sleepFunction;

    // The trace: switched on (written by the worker under the mutex), whether the reader
    // may ask for one more poll, and whether a poll is on the line.
    bool traceActive = false;
    // A switch-on went out on the line, and no switch-off was confirmed since: the board may
    // be tracing, whatever came of the switch-on, so the stop tells it to stop.
    bool boardMayTrace = false;
    bool pollAllowed = false;
    bool readerFollows = false; // the reader has asked for a poll since tracing was switched
    bool workerWaiting = false; // the worker waits for the trace's next poll
    bool pollRunning = false;

    // Worker thread only.
    TLink link;
    std::shared_ptr<TLinkPort> demoLine; // made when first asked for
    SleepFunction workerSleep;
    TQ275 cfgBuffers[CfgRing] = {};
    int cfgNext = 0;
    quint8 traceBuffers[TraceRing][TraceRecordSize] = {};
    int traceNext = 0;

    // Under the mutex.
    quint8 identRecord[BoardIdentity::IdentSize] = {};
    quint8 infoRecord[BoardIdentity::InfoSize] = {};
};

#endif // TTHREAD_H
