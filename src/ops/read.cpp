#include "read.h"

#include <cstring>

#include "tthread.h"
#include "ui_progress.h"

Read::Read(TThread *thr, TQ275 *cfg) : TProgress(thr), target(cfg)
{
    if (thread) {
        connect(thread, &TThread::readCfg, this, &Read::Config);
        connect(thread, &TThread::readErr, this, &Read::Error);
        connect(thread, &TThread::recvMax, this, &Read::BarMax);
        connect(thread, &TThread::recvCnt, this, &Read::BarCnt);
    }

    ui->progressBar->setRange(0, 20);
    ui->progressBar->setValue(0);
    setRunning(tr("Чтение конфигурации адаптера Q-275"));

    if (thread)
        follow(thread->postRead());
}

void Read::Config(TQ275 *cfg)
{
    if (failed || !cfg || !ownTask())
        return;
    // cfg points into the thread's own buffer: copy it now, never keep it.
    if (target)
        std::memcpy(target->bytes(), cfg->bytes(), TQ275::Size);
    setEnded(tr("Конфигурация адаптера прочитана."), DoneReadMs);
}

void Read::Error()
{
    if (!ownTask())
        return;
    setFailed(tr("Ошибка. Чтение конфигурации прервано."));
}

void Read::BarMax(qint32 max)
{
    if (ownTask())
        setBarMaximum(max);
}

void Read::BarCnt(qint32 cnt)
{
    if (failed || cnt < 0 || !ownTask())
        return;
    setBarValue(cnt);
}
