#include "ops/write.h"

#include "link/tthread.h"

Write::Write(TThread *thr, TQ275 *cfg)
    : TSendRecord(thr, cfg,
                  {&TThread::postSave, &TThread::saveStp, &TThread::saveErr,
                   tr("Загрузка конфигурации адаптера Q-275"),
                   tr("Конфигурации адаптера Q-275 записана."),
                   tr("Ошибка. Запись конфигурации прервана.")})
{
}
