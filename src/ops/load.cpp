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
    ui->label->setText(tr("Контроллер ") + ctrlName + tr(", загрузка ПО."));
}

void Load::Check()
{
    if (failed)
        return;
    ui->label->setText(tr("Контроллер ") + ctrlName + tr(", проверка ПО."));
}

void Load::Stop()
{
    if (failed)
        return;
    setEnded(tr("Контроллер ") + ctrlName + tr(", ПО загружено."), DoneMs);
}

void Load::Error()
{
    setFailed(tr("Ошибка. Загрузка ПО прервана."));
}

void Load::Progress(quint32 sent)
{
    setBarCount(sent);
}
