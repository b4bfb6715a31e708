#include "editors/toutput.h"

#include <QDial>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>

#include "editors/tscale.h"
#include "ui_output.h"

namespace
{

void fillRow(QGroupBox *box, QDial *dial, quint8 byte)
{
    box->setChecked(byte & 0x80);
    dial->setValue(qMin<int>(byte & 0x7F, TScale::OutLvlOff));
}

quint8 rowByte(const QGroupBox *box, const QDial *dial)
{
    return quint8((dial->value() & 0x7F) | (box->isChecked() ? 0x80 : 0));
}

} // namespace

TOutput::TOutput(TThread *thread, quint8 *rxOut, quint8 *micOut, int mode)
    : TEditor(thread), ui(new Ui::OutputClass), rxOut(rxOut), micOut(micOut)
{
    ui->setupUi(this);

    if (ident[0] == 0)
        ui->bTest->setEnabled(false);

    if (!start(mode, {ui->bTest, ui->bReset, ui->bSave, ui->bClose}))
        return;
    connect(ui->dialRx3, &QDial::valueChanged, this, &TOutput::DialRx3);
    connect(ui->dialTx3, &QDial::valueChanged, this, &TOutput::DialTx3);
    connect(ui->dialRx8, &QDial::valueChanged, this, &TOutput::DialRx8);
    connect(ui->dialTx8, &QDial::valueChanged, this, &TOutput::DialTx8);

    mapDirty(ui->dialRx3, &QDial::valueChanged, 0x01);
    mapDirty(ui->boxRx3, &QGroupBox::toggled, 0x01);
    mapDirty(ui->dialTx3, &QDial::valueChanged, 0x02);
    mapDirty(ui->boxTx3, &QGroupBox::toggled, 0x02);
    mapDirty(ui->dialRx8, &QDial::valueChanged, 0x04);
    mapDirty(ui->boxRx8, &QGroupBox::toggled, 0x04);
    mapDirty(ui->dialTx8, &QDial::valueChanged, 0x08);
    mapDirty(ui->boxTx8, &QGroupBox::toggled, 0x08);

    Fill();
}

TOutput::~TOutput()
{
    delete ui;
}

void TOutput::Fill()
{
    fillRow(ui->boxRx3, ui->dialRx3, rxOut[0]);
    fillRow(ui->boxRx8, ui->dialRx8, rxOut[1]);
    fillRow(ui->boxTx3, ui->dialTx3, micOut[0]);
    fillRow(ui->boxTx8, ui->dialTx8, micOut[1]);
}

void TOutput::Store(quint8 *rxPair, quint8 *micPair)
{
    rxPair[0] = rowByte(ui->boxRx3, ui->dialRx3);
    rxPair[1] = rowByte(ui->boxRx8, ui->dialRx8);
    micPair[0] = rowByte(ui->boxTx3, ui->dialTx3);
    micPair[1] = rowByte(ui->boxTx8, ui->dialTx8);
}

void TOutput::storeWork()
{
    Store(rxOut, micOut);
}

void TOutput::writeDefaults()
{
    TQ275::outDefaults(rxOut, micOut);
}

void TOutput::sendChanges(int mask)
{
    storeWork();
    if (mask & 0x01)
        postCodec(TScale::RegRx3, rxOut[0]);
    if (mask & 0x04)
        postCodec(TScale::RegRx8, rxOut[1]);
    if (mask & 0x02)
        postCodec(TScale::RegMic3, micOut[0]);
    if (mask & 0x08)
        postCodec(TScale::RegMic8, micOut[1]);
}

void TOutput::DialRx3(int code)
{
    ui->lineRx3->setText(TScale::OutLvlText(code));
}

void TOutput::DialTx3(int code)
{
    ui->lineTx3->setText(TScale::OutLvlText(code));
}

void TOutput::DialRx8(int code)
{
    ui->lineRx8->setText(TScale::OutLvlText(code));
}

void TOutput::DialTx8(int code)
{
    ui->lineTx8->setText(TScale::OutLvlText(code));
}
