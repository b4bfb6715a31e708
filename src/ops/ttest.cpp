#include "ops/ttest.h"

#include "link/tthread.h"

TTest::TTest(TThread *thr, const TQ275 *cfg)
    : TSendRecord(thr, cfg,
                  {&TThread::postTest, &TThread::testStp, &TThread::testErr,
                   tr("Проверка конфигурации адаптера Q-275"),
                   tr("Проверка конфигурации адаптера Q-275 выполнена."),
                   tr("Ошибка. Загрузка конфигурации прервана.")})
{
}
