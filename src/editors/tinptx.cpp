#include "tinptx.h"

#include <QDial>
#include <QDoubleSpinBox>

#include "ui_inptx.h"

namespace
{

const TInpChan::Channel micChannel = {
    TScale::Mic,         0x01, 0x20, 0x04, 0x80, {0x00, 0x16, 0x73, 0x64, 0x8F, 0x41},
    TEditor::TaskMicCtl, false};

} // namespace

TInpTx::TInpTx(TThread *thread, TQ275 *cfg, quint8 *mic, int mode)
    : TInpChan(thread, micChannel), ui(new Ui::InpTxClass)
{
    ui->setupUi(this);
    bindForm(ui);
    c.boxAtt = ui->boxLine1;
    c.chkOnA = ui->chkPttOn;
    c.chkOnB = ui->chkTxOn;
    c.chkOffA = ui->chkPttOff;
    c.chkOffB = ui->chkTxOff;
    init(&cfg->switching, mic, mode);
}

TInpTx::~TInpTx()
{
    delete ui;
}

void TInpTx::connectAtt()
{
    connect(ui->dialAtt, &QDial::valueChanged, this, &TInpTx::DialL1);
    connect(ui->spinAtt, &QDoubleSpinBox::valueChanged, this, &TInpTx::SpinL1);
}

void TInpTx::DialL1(int code)
{
    attDialChanged(code);
}

void TInpTx::SpinL1(double db)
{
    attSpinChanged(db);
}
