#include "ops/load.h"

#include "ui_progress.h"

Load::Load(TThread *thr, quint8 *romData, int romSize) : TProgress(thr)
{
    setRunning(tr("Запрос идентификатора устройства"));
    setBarMaximum(romSize);

    // No task carries the image: the link has no load operation.
    delete[] romData;
}

void Load::Start(quint16 type)
{
    Q_UNUSED(type); // the controller name is not derived from the type
    if (failed)
        return;
    ui->label->setText(tr("Контроллер %1, загрузка ПО.").arg(ctrlName));
}

void Load::Check()
{
    if (failed)
        return;
    ui->label->setText(tr("Контроллер %1, проверка ПО.").arg(ctrlName));
}

void Load::Stop()
{
    if (failed)
        return;
    setEnded(tr("Контроллер %1, ПО загружено.").arg(ctrlName), DoneMs);
}

void Load::Error()
{
    setFailed(tr("Ошибка. Загрузка ПО прервана."));
}

void Load::Progress(quint32 sent)
{
    setBarCount(sent);
}
