#include "write.h"

#include <cstring>

#include "tthread.h"
#include "ui_progress.h"

Write::Write(TThread *thr, TQ275 *cfg) : TProgress(thr)
{
    std::memset(copy.bytes(), 0, TQ275::Size);
    if (cfg)
        std::memcpy(copy.bytes(), cfg->bytes(), TQ275::Size);

    if (thread) {
        connect(thread, &TThread::saveStp, this, &Write::Stop);
        connect(thread, &TThread::saveErr, this, &Write::Error);
        connect(thread, &TThread::sendMax, this, &Write::BarMax);
        connect(thread, &TThread::sendCnt, this, &Write::BarCnt);
    }

    ui->progressBar->setMinimum(0);
    ui->progressBar->setValue(0);
    setRunning(tr("Загрузка конфигурации адаптера Q-275"));
    ui->progressBar->setMaximum(1);

    if (!cfg) {
        // Nothing to write: never send a made-up record to the board.
        fail();
        return;
    }
    if (thread)
        follow(thread->postSave(copy.bytes(), TQ275::Size));
}

void Write::Stop()
{
    if (!ownTask())
        return;
    setEnded(failed ? QString() : tr("Конфигурации адаптера Q-275 записана."), DoneMs);
}

void Write::Error()
{
    if (ownTask())
        fail();
}

void Write::fail()
{
    setFailed(tr("Ошибка. Запись конфигурации прервана."));
}

void Write::BarMax(quint32 max)
{
    if (ownTask())
        setBarMaximum(max);
}

void Write::BarCnt(quint32 cnt)
{
    if (failed || !ownTask())
        return;
    setBarValue(cnt);
}
