#include "tinprx.h"

#include <QDial>
#include <QDoubleSpinBox>

#include "ui_inprx.h"

namespace
{

const TInpChan::Channel rxChannel = {
    TScale::Rx,         0x02, 0x10, 0x08, 0x40, {0x04, 0x00, 0x73, 0x64, 0x8F, 0x41},
    TEditor::TaskRxCtl, true};

} // namespace

TInpRx::TInpRx(TThread *thread, TQ275 *cfg, quint8 *rx, int mode)
    : TInpChan(thread, rxChannel), ui(new Ui::InpRxClass)
{
    ui->setupUi(this);
    bindForm(ui);
    c.boxAtt = ui->boxAtt;
    c.chkOnA = ui->chkCosOn;
    c.chkOnB = ui->chkRxOn;
    c.chkOffA = ui->chkCosOff;
    c.chkOffB = ui->chkRxOff;
    init(&cfg->switching, rx, mode);
}

TInpRx::~TInpRx()
{
    delete ui;
}

void TInpRx::connectAtt()
{
    connect(ui->dialAtt, &QDial::valueChanged, this, &TInpRx::DialAtt);
    connect(ui->spinAtt, &QDoubleSpinBox::valueChanged, this, &TInpRx::SpinAtt);
}

void TInpRx::DialAtt(int code)
{
    attDialChanged(code);
}

void TInpRx::SpinAtt(double db)
{
    attSpinChanged(db);
}
