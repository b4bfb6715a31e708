#include "ops/read.h"

#include <cstring>

#include "link/tthread.h"
#include "ui_progress.h"

Read::Read(TThread *thr, TQ275 *cfg) : TProgress(thr), target(cfg)
{
    connectOwn(&TThread::readCfg, &Read::Config);
    connectOwn(&TThread::readErr, &Read::Error);
    connectOwn(&TThread::recvMax, &Read::BarMax);
    connectOwn(&TThread::recvCnt, &Read::BarCnt);

    ui->progressBar->setRange(0, 20);
    setRunning(tr("Чтение конфигурации адаптера Q-275"));

    if (thread)
        follow(thread->postRead());
}

void Read::Config(TQ275 *cfg)
{
    if (failed || !cfg)
        return;
    // A record that fails its checksum is thrown away: the read has failed, and the main
    // window logs why when the window closes.
    if (!cfg->isValid()) {
        damaged = true;
        setFailed(tr("Ошибка. Прочитанная конфигурация повреждена."));
        return;
    }
    // cfg points into the thread's own buffer: copy it now, never keep it.
    if (target)
        std::memcpy(target->bytes(), cfg->bytes(), TQ275::Size);
    setEnded(tr("Конфигурация адаптера прочитана."), DoneReadMs);
}

void Read::Error()
{
    setFailed(tr("Ошибка. Чтение конфигурации прервано."));
}

void Read::BarMax(qint32 max)
{
    setBarMaximum(max);
}

void Read::BarCnt(qint32 cnt)
{
    setBarCount(cnt);
}
