#include "link/tthread.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QMutexLocker>

#include <algorithm>
#include <cstring>
#include <limits>

#include "config/boardhistory.h"
#include "config/hextext.h"
#include "link/tdemoport.h"
#include "link/tserialport.h"

TThread::TThread() : QThread(nullptr)
{
    // The link's signals leave through the thread's own, from the worker.
    connect(&link, &TLink::mes, this, &TThread::mes, Qt::DirectConnection);
    connect(&link, &TLink::sendMax, this, &TThread::sendMax, Qt::DirectConnection);
    connect(&link, &TLink::sendCnt, this, &TThread::sendCnt, Qt::DirectConnection);
    connect(&link, &TLink::recvMax, this, &TThread::recvMax, Qt::DirectConnection);
    connect(&link, &TLink::recvCnt, this, &TThread::recvCnt, Qt::DirectConnection);
    link.setSettingsSource(
        [this] {
            QMutexLocker lock(&mutex);
            return mode;
        },
        [this] {
            QMutexLocker lock(&mutex);
            return portName;
        });
    link.setAbortCheck([this] { return stopping.load(); });
}

TThread::~TThread()
{
    requestStop();
    joinWorker();
}

void TThread::joinWorker()
{
    wait();
    // The worker's last act is to take and release the mutex (see run()):
    // taking it here orders everything the worker did before whatever
    // follows, for the program and for thread checkers alike (the join
    // inside QThread::wait() is not visible to them).
    QMutexLocker lock(&mutex);
}

void TThread::setPortFactory(PortFactory factory)
{
    QMutexLocker lock(&mutex);
    portFactory = std::move(factory);
}

void TThread::setSleepFunction(SleepFunction sleep)
{
    QMutexLocker lock(&mutex);
    sleepFunction = std::move(sleep);
}

void TThread::setPort(const QString &name)
{
    QMutexLocker lock(&mutex);
    portName = name;
}

void TThread::setMode(int m)
{
    QMutexLocker lock(&mutex);
    mode = m;
}

void TThread::requestStop()
{
    bool startWorker = false;
    {
        QMutexLocker lock(&mutex);
        if (stopFlag)
            return;
        stopFlag = true;
        stopping = true;
        wake.notify_all();
        // A board left tracing needs a worker to tell it to stop.
        if (boardMayTrace && !workerActive) {
            workerActive = true;
            startWorker = true;
        }
    }
    if (startWorker) {
        joinWorker();
        start(QThread::InheritPriority);
    }
}

void TThread::getIdent(quint8 *ident)
{
    QMutexLocker lock(&mutex);
    std::memcpy(ident, identRecord, BoardIdentity::IdentSize);
}

void TThread::getInfo(quint8 *info)
{
    QMutexLocker lock(&mutex);
    std::memcpy(info, infoRecord, BoardIdentity::InfoSize);
}

// ------------------------------------------------------------------- the queue

quint32 TThread::enqueue(int type, const quint8 *data, qint64 len)
{
    Task task;
    task.type = type;
    task.len = len;
    if (len >= 0 && len <= TLink::MaxData && (data || len == 0))
        task.data = QByteArray(reinterpret_cast<const char *>(data), int(len));

    bool startWorker = false;
    bool wakeWorker = false;
    {
        QMutexLocker lock(&mutex);
        if (stopFlag)
            return 0; // the program is closing: nothing more will run
        if (type == TaskTracePoll && pollPendingLocked())
            return 0;      // one poll at a time: the trace has one chain of polls
        if (++lastId == 0) // 0 means "no task"
            ++lastId;
        task.id = lastId;
        queue.append(task);
        wakeWorker = workerWaiting;
        // The worker decides to end under this same mutex, so exactly one of
        // the two happens: it is still active and will take the task, or it
        // has ended (or never ran) and this call starts it.
        if (!workerActive) {
            workerActive = true;
            startWorker = true;
        }
    }
    // The worker waiting for the trace's next poll takes it. Woken once the mutex is free, it
    // does not wake only to wait for the mutex.
    if (wakeWorker)
        wake.notify_all();
    if (startWorker) {
        // A worker that has just found the queue empty may still be on its
        // way out of run(), and QThread::start() ignores a running thread:
        // let it finish first (it waits on nothing and takes the mutex only
        // once more, briefly).
        joinWorker();
        start(QThread::InheritPriority);
    }
    return task.id;
}

bool TThread::pollPendingLocked() const
{
    if (pollRunning)
        return true;
    for (const Task &t : queue)
        if (t.type == TaskTracePoll)
            return true;
    return false;
}

// asked: the reader of the trace asks for the next record; otherwise the worker
// goes on with its own chain (after switching on, after an empty poll).
quint32 TThread::enqueuePoll(bool asked)
{
    if (asked) {
        QMutexLocker lock(&mutex);
        if (!pollAllowed)
            return 0;
        pollAllowed = false;
        readerFollows = true;
    }
    return enqueue(TaskTracePoll, nullptr, 0);
}

quint32 TThread::postRead()
{
    return enqueue(TaskReadCfg, nullptr, 0);
}

quint32 TThread::postIdent()
{
    return enqueue(TaskIdent, nullptr, 0);
}

quint32 TThread::postTest(const quint8 *data, quint32 len)
{
    return enqueue(TaskTestCfg, data, len);
}

quint32 TThread::postSave(const quint8 *data, quint32 len)
{
    return enqueue(TaskSaveCfg, data, len);
}

quint32 TThread::postVerify(const quint8 *data, quint32 len)
{
    return enqueue(TaskVerifyCfg, data, len);
}

quint32 TThread::postTrace(int mask)
{
    const quint8 byte = quint8(mask);
    return enqueue(TaskTrace, &byte, 1);
}

quint32 TThread::postTracePoll()
{
    return enqueuePoll(true);
}

quint32 TThread::postInfo(const quint8 *data, quint32 len)
{
    return enqueue(TaskInfoWrite, data, len);
}

quint32 TThread::postCodec(const quint8 *pairs, int count)
{
    // The count byte, then the pairs. A count that cannot be one byte, or
    // pairs that would not fit a frame, make the task refused when it runs.
    const qint64 len = 2 * qint64(count) + 1;
    if (count < 0 || len > TLink::MaxData || (count > 0 && !pairs))
        return enqueue(TaskCodec, nullptr, count < 0 ? -1 : len);
    QByteArray data;
    data.append(char(count));
    data.append(reinterpret_cast<const char *>(pairs), 2 * count);
    return enqueue(TaskCodec, reinterpret_cast<const quint8 *>(data.constData()), len);
}

quint32 TThread::postRxCtl(const quint8 *flags)
{
    return enqueue(TaskRxCtl, flags, flags ? 1 : -1);
}

quint32 TThread::postMicCtl(const quint8 *flags)
{
    return enqueue(TaskMicCtl, flags, flags ? 1 : -1);
}

// ------------------------------------------------------------------ the worker

void TThread::run()
{
    PortFactory factory;
    QString name;
    {
        QMutexLocker lock(&mutex);
        factory = portFactory;
        workerSleep = sleepFunction;
    }
    // An installed device, or the serial port, is made here, on the worker thread, and dies
    // here; the demo board is the thread object's.
    std::shared_ptr<TLinkPort> made = factory ? factory() : nullptr, serial, line = made;
    link.setDevice(line);
    link.setSleepFunction([this](int ms) { pause(ms); });

    Task task;
    for (;;) {
        const Next next = takeTask(task, name);
        // The stop too may have a word for the board (its trace off).
        if (!made && next != Next::Idle && lineFor(name, serial) != line)
            link.setDevice(line = lineFor(name, serial));
        if (next == Next::Stop)
            traceOffOnStop();
        if (next != Next::Run) {
            QMutexLocker lock(&mutex);
            workerActive = false;
            break;
        }
        runOne(task);
    }

    link.closePort(0);
    link.setDevice(nullptr);
    line.reset();
    made.reset();
    serial.reset();
    workerSleep = nullptr;
    // The hand-over to joinWorker(): nothing of the worker's is touched after this.
    QMutexLocker lock(&mutex);
}

// The line the port name leads to when no device was installed.
std::shared_ptr<TLinkPort> TThread::lineFor(const QString &name, std::shared_ptr<TLinkPort> &serial)
{
    if (TDemoPort::isDemo(name)) {
        if (!demoLine)
            demoLine = std::make_shared<TDemoPort>();
        return demoLine;
    }
    if (!serial)
        serial = std::make_shared<TSerialPort>();
    return serial;
}

// The worker's next step: a task to run, the end of the work (the stop; the tasks still
// queued are dropped), or nothing left to do.
TThread::Next TThread::takeTask(Task &task, QString &port)
{
    QMutexLocker lock(&mutex);
    if (!stopFlag && queue.isEmpty() && link.isPortOpen())
        waitForNextPoll();
    port = portName;
    if (stopFlag) {
        queue.clear();
        return Next::Stop;
    }
    if (queue.isEmpty())
        return Next::Idle;
    task = queue.takeFirst();
    pollRunning = task.type == TaskTracePoll;
    return Next::Run;
}

void TThread::runOne(const Task &task)
{
    // Only the trace's next poll finds the line still open: every other task starts on a
    // freshly opened port.
    if (task.type != TaskTracePoll)
        link.closePort(0);
    emit taskBeg(task.id);
    const int result = runTask(task);
    if (!(task.type == TaskTracePoll && pollAsked()))
        link.closePort(0); // whatever the outcome, the port is free between tasks
    {
        QMutexLocker lock(&mutex);
        pollRunning = false;
    }
    emit taskEnd(task.id, result);
}

// The outcome of a setting command for taskEnd: the line, or the board's answer.
static int outcome(TLink::Status st)
{
    switch (st) {
    case TLink::StatusOk:
        return TThread::TaskDone;
    case TLink::LinkFailed:
        return TThread::TaskLineFailed;
    default:
        return TThread::TaskRefused;
    }
}

// The same for a command the board answers with data: 1 answered, 0 error answer.
static int outcome(qint8 transactResult)
{
    return transactResult == 1   ? TThread::TaskDone
           : transactResult == 0 ? TThread::TaskRefused
                                 : TThread::TaskLineFailed;
}

namespace
{
// The codec and channel-control commands: the task, its command and its lines for a failed
// transfer and for the board's "0".
struct ControlCommand {
    int type;
    quint8 cmd;
    const char *failed;
    const char *done;
};
const ControlCommand controlCommands[] = {
    {TThread::TaskCodec, TLink::CmdCodec,
     QT_TRANSLATE_NOOP("TThread", "Ошибка в передаче команд кодека"),
     QT_TRANSLATE_NOOP("TThread", "Передача команд кодека выполнена успешно")},
    {TThread::TaskRxCtl, TLink::CmdRxCtl,
     QT_TRANSLATE_NOOP("TThread", "Ошибка в передаче команд управления канала приемника"),
     QT_TRANSLATE_NOOP("TThread", "Передача команд управления выполнена успешно")},
    {TThread::TaskMicCtl, TLink::CmdMicCtl,
     QT_TRANSLATE_NOOP("TThread", "Ошибка в передаче команд управления канала микрофона"),
     QT_TRANSLATE_NOOP("TThread", "Передача команд управления выполнена успешно")}};
} // namespace

int TThread::runTask(const Task &task)
{
    // The data as the task carries it; null for a refused task, which the
    // link then turns down with its log line.
    const quint8 *data = task.data.size() == task.len
                             ? reinterpret_cast<const quint8 *>(task.data.constData())
                             : nullptr;
    const int len = int(qBound(qint64(-1), task.len, qint64(std::numeric_limits<int>::max())));

    switch (task.type) {
    case TaskReadCfg:
        return readConfig();
    case TaskIdent:
        return readIdentity();
    case TaskVerifyCfg:
        return verifyConfig(data, len);
    case TaskTestCfg:
    case TaskSaveCfg:
        return sendConfig(task.type == TaskTestCfg, data, len);
    case TaskTrace:
        return traceSwitch(data, len);
    case TaskTracePoll:
        return tracePoll();
    case TaskInfoWrite:
        return writeInfo(data, len);
    }
    for (const ControlCommand &c : controlCommands) {
        if (c.type == task.type)
            return control(c.cmd, data, len, tr(c.failed), tr(c.done));
    }
    return TaskDone; // unknown types run nothing
}

// A configuration for the board to try (test) or to store.
int TThread::sendConfig(bool test, const quint8 *data, int len)
{
    const TLink::Status st =
        link.sendSetting(test ? TLink::CmdTestCfg : TLink::CmdSaveCfg, data, len);
    if (st != TLink::StatusOk) {
        if (test)
            emit testErr();
        else
            emit saveErr();
        link.reportStatus(st);
        return outcome(st);
    }
    if (test) {
        emit testStp();
        emit mes(tr("Загрузка тестовой конфигурации выполнена"));
        return TaskDone;
    }
    // With the read-back on, the write counts as done only once the board holds the record.
    if (!verifyWrites)
        emit saveStp();
    emit mes(tr("Процесс загрузки конфигурации выполнен"));
    keepCopy(data, BoardHistory::Write);
    if (!verifyWrites)
        return TaskDone;
    const int result = verifyConfig(data, len);
    if (result == TaskDone)
        emit saveStp();
    else
        emit saveErr();
    return result;
}

int TThread::writeInfo(const quint8 *data, int len)
{
    const TLink::Status st = link.sendSetting(TLink::CmdInfoWrite, data, len);
    if (st != TLink::StatusOk) {
        link.reportStatus(st);
        return outcome(st);
    }
    emit mes(tr("Процесс загрузки информации выполнен"));
    // An information window opened later shows what was written.
    QMutexLocker lock(&mutex);
    std::memcpy(infoRecord, data, size_t(qMin<int>(len, BoardIdentity::InfoSize)));
    return TaskDone;
}

int TThread::control(quint8 cmd, const quint8 *data, int len, const QString &failed,
                     const QString &done)
{
    const TLink::Status st = link.sendSetting(cmd, data, len);
    if (st == TLink::LinkFailed || st == TLink::BoardError)
        emit mes(failed);
    else if (st == TLink::StatusOk)
        emit mes(done);
    else
        link.reportStatus(st);
    return outcome(st);
}

// The board refused its identity or board data: it counts as one without identity.
void TThread::noIdentity()
{
    emit mes(tr("Адаптер Q-275 версия 0.0"));
    QMutexLocker lock(&mutex);
    identRecord[0] = identRecord[1] = 0;
}

int TThread::readIdentity()
{
    qint8 r = link.transact(TLink::CmdIdent, nullptr, 0, BoardIdentity::IdentSize);
    if (r < 0)
        return TaskLineFailed;
    if (r == 0) {
        // A board without identity data: no board data either.
        noIdentity();
        return TaskDone;
    }
    {
        QMutexLocker lock(&mutex);
        std::memcpy(identRecord, link.answerData(), BoardIdentity::IdentSize);
    }
    r = link.transact(TLink::CmdInfoRead, nullptr, 0, BoardIdentity::InfoSize);
    if (r < 0)
        return TaskLineFailed;
    if (r == 0) {
        noIdentity();
    } else {
        QMutexLocker lock(&mutex);
        std::memcpy(infoRecord, link.answerData(), BoardIdentity::InfoSize);
    }
    return TaskDone;
}

int TThread::readConfig()
{
    if (readIdentity() != TaskDone) {
        emit readErr();
        return TaskLineFailed;
    }
    const qint8 r = link.transact(TLink::CmdReadCfg, nullptr, 0, TQ275::Size);
    if (r != 1) {
        emit readErr();
        return outcome(r);
    }
    link.closePort(0);
    TQ275 *cfg = &cfgBuffers[cfgNext];
    cfgNext = (cfgNext + 1) % CfgRing;
    std::memcpy(cfg->bytes(), link.answerData(), TQ275::Size);
    emit readCfg(cfg);
    emit mes(tr("Процесс чтения конфигурации выполнен"));
    // Only a record that holds together is worth keeping.
    if (cfg->isValid())
        keepCopy(cfg->bytes(), BoardHistory::Read);
    return TaskDone;
}

int TThread::verifyConfig(const quint8 *expected, int len)
{
    if (!expected || len != TQ275::Size)
        return TaskRefused; // nothing to compare with: nothing is read
    const qint8 r = link.transact(TLink::CmdReadCfg, nullptr, 0, TQ275::Size);
    if (r != 1)
        return outcome(r);
    link.closePort(0);
    const quint8 *got = link.answerData();
    const int at = int(std::mismatch(expected, expected + TQ275::Size, got).first - expected);
    if (at < TQ275::Size) {
        emit mes(tr("Конфигурация в плате отличается: байт %1, ожидался %2, прочитан %3")
                     .arg(at)
                     .arg(HexText::byte(expected[at]), HexText::byte(got[at])));
        return TaskDiffers;
    }
    emit mes(tr("Конфигурация в плате совпадает с ожидаемой"));
    return TaskDone;
}

void TThread::keepCopy(const quint8 *cfg, int kind)
{
    if (!cfg)
        return;
    TQ275 rec;
    std::memcpy(rec.bytes(), cfg, TQ275::Size);
    quint8 ident[BoardIdentity::IdentSize];
    quint8 info[BoardIdentity::InfoSize];
    getIdent(ident);
    getInfo(info);
    QString path;
    if (!BoardHistory::keep(rec, BoardHistory::serialOf(ident, info), BoardHistory::Kind(kind),
                            &path))
        emit mes(tr("Копия конфигурации не сохранена в истории плат: %1")
                     .arg(QDir::toNativeSeparators(path)));
}

int TThread::traceSwitch(const quint8 *data, int len)
{
    {
        // Whatever comes of it, records from before the switch ask for no more polls.
        QMutexLocker lock(&mutex);
        pollAllowed = false;
        readerFollows = false;
    }
    const bool on = data && len > 0 && data[0] != 0;
    const quint64 sentBefore = link.framesWritten();
    const TLink::Status st = link.sendSetting(TLink::CmdTrace, data, len);
    {
        // From the moment a switch-on is on the line the board may trace, even when its
        // answer never comes; only a switch-off the board confirmed ends that.
        QMutexLocker lock(&mutex);
        if (on && link.framesWritten() != sentBefore)
            boardMayTrace = true;
        if (st == TLink::StatusOk) {
            traceActive = on;
            boardMayTrace = boardMayTrace && on;
        }
    }
    if (st != TLink::StatusOk) {
        emit traceErr();
        link.reportStatus(st);
        return outcome(st);
    }
    if (on)
        enqueuePoll(false);
    return TaskDone;
}

int TThread::tracePoll()
{
    if (!traceActive)
        return TaskDone;
    const qint8 r = link.transact(TLink::CmdTracePoll, nullptr, 0, 0);
    if (r != 1) {
        emit traceErr();
        return outcome(r);
    }
    const int n = link.answerDataLength(); // 0 to 62
    if (n == 0) {
        link.closePort(0);
        // Nothing traced yet: ask again later. The chain goes on with this worker's own
        // poll, once this one no longer counts as on the line.
        enum { TracePauseMs = 15000 };
        pause(TracePauseMs);
        {
            QMutexLocker lock(&mutex);
            pollRunning = false;
        }
        enqueuePoll(false);
        return TaskDone;
    }
    quint8 *record = traceBuffers[traceNext];
    traceNext = (traceNext + 1) % TraceRing;
    record[0] = quint8(n);
    std::memcpy(record + 1, link.answerData(), size_t(n));
    {
        // The reader may ask for the next record, and this poll no longer counts as on
        // the line: the reader's slot may run before this task has ended.
        QMutexLocker lock(&mutex);
        pollAllowed = true;
        pollRunning = false;
    }
    emit traceRdy(record);
    return TaskDone;
}

// Closing while the board may trace (a switch-on went out, and no switch-off was confirmed
// since; a queued switch-off the stop dropped is none): tell it to stop, with one attempt and
// a short limit, so that a dead line does not hold the program.
void TThread::traceOffOnStop()
{
    {
        QMutexLocker lock(&mutex);
        if (!boardMayTrace)
            return;
        traceActive = false;
    }
    const QDeadlineTimer limit(TraceOffMs);
    link.setAbortCheck([limit] { return limit.hasExpired(); });
    const quint8 off = 0;
    const bool confirmed = link.sendSetting(TLink::CmdTrace, &off, 1, 1) == TLink::StatusOk;
    link.setAbortCheck([this] { return stopping.load(); });
    QMutexLocker lock(&mutex);
    boardMayTrace = !confirmed;
}

// A running trace brings one record a poll, and a reader that follows it asks for the next
// poll as soon as it has shown one. Rather than close the line, end, and be started again a
// moment later for every record, the worker waits a while for that poll with the line open.
// Called with the mutex held.
void TThread::waitForNextPoll()
{
    if (!pollAllowed || !traceActive || !readerFollows)
        return;
    workerWaiting = true;
    wake.wait_for(mutex, std::chrono::milliseconds(NextPollWaitMs),
                  [this] { return stopFlag || !queue.isEmpty(); });
    workerWaiting = false;
}

bool TThread::pollAsked()
{
    QMutexLocker lock(&mutex);
    return pollAllowed || std::any_of(queue.cbegin(), queue.cend(),
                                      [](const Task &t) { return t.type == TaskTracePoll; });
}

void TThread::pause(int ms)
{
    if (workerSleep) {
        workerSleep(ms);
        return;
    }
    // Sleeps on the stop flag, so that closing the program ends the pause.
    const QDeadlineTimer deadline(ms);
    const auto until = deadline.deadline<std::chrono::steady_clock>();
    QMutexLocker lock(&mutex);
    wake.wait_until(mutex, until, [this] { return stopFlag; });
}
