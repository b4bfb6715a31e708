#include "ops/tsendrecord.h"

#include <cstring>

#include "link/tthread.h"
#include "ui_progress.h"

TSendRecord::TSendRecord(TThread *thr, const TQ275 *cfg, const Task &t)
    : TProgress(thr), doneText(t.done), errorText(t.error)
{
    std::memset(copy.bytes(), 0, TQ275::Size);
    if (cfg)
        std::memcpy(copy.bytes(), cfg->bytes(), TQ275::Size);

    connectOwn(t.stopped, &TSendRecord::Stop);
    connectOwn(t.failed, &TSendRecord::Error);
    connectOwn(&TThread::sendMax, &TSendRecord::BarMax);
    connectOwn(&TThread::sendCnt, &TSendRecord::BarCnt);

    setRunning(t.running);
    ui->progressBar->setMaximum(1);

    if (!cfg) {
        // Nothing to send: never send a made-up record to the board.
        Error();
        return;
    }
    if (thread)
        follow((thread->*t.post)(copy.bytes(), TQ275::Size));
}

void TSendRecord::Stop()
{
    setEnded(failed ? QString() : doneText, DoneMs);
}

void TSendRecord::Error()
{
    setFailed(errorText);
}

void TSendRecord::BarMax(quint32 max)
{
    setBarMaximum(max);
}

void TSendRecord::BarCnt(quint32 cnt)
{
    setBarCount(cnt);
}
