#include "ttest.h"

#include <cstring>

#include "tthread.h"
#include "ui_progress.h"

TTest::TTest(TThread *thr, const TQ275 *cfg) : TProgress(thr)
{
    std::memset(copy.bytes(), 0, TQ275::Size);
    if (cfg)
        std::memcpy(copy.bytes(), cfg->bytes(), TQ275::Size);

    if (thread) {
        connect(thread, &TThread::testStp, this, &TTest::Stop);
        connect(thread, &TThread::testErr, this, &TTest::Error);
        connect(thread, &TThread::sendMax, this, &TTest::BarMax);
        connect(thread, &TThread::sendCnt, this, &TTest::BarCnt);
    }

    ui->progressBar->setMinimum(0);
    ui->progressBar->setValue(0);
    setRunning(tr("Проверка конфигурации адаптера Q-275"));
    ui->progressBar->setMaximum(1);

    if (!cfg) {
        fail();
        return;
    }
    if (thread)
        follow(thread->postTest(copy.bytes(), TQ275::Size));
}

void TTest::Stop()
{
    if (!ownTask())
        return;
    setEnded(failed ? QString() : tr("Проверка конфигурации адаптера Q-275 выполнена."), DoneMs);
}

void TTest::Error()
{
    if (ownTask())
        fail();
}

void TTest::fail()
{
    setFailed(tr("Ошибка. Загрузка конфигурации прервана."));
}

void TTest::BarMax(quint32 max)
{
    if (ownTask())
        setBarMaximum(max);
}

void TTest::BarCnt(quint32 cnt)
{
    if (failed || !ownTask())
        return;
    setBarValue(cnt);
}
