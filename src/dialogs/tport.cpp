#include "dialogs/tport.h"

#include <QAbstractItemView>

#include "link/tdemoport.h"
#include "link/tserialport.h"
#include "ui_port.h"

TPort::TPort(QWidget *parent, const QString &current)
    : QDialog(parent), ui(new Ui::PortClass), chosen(current)
{
    ui->setupUi(this);

    ui->boxPorts->clear();
    // The demo board is always there, after the serial ports.
    QStringList names =
        TSerialPort::openablePorts(current, qMin(ui->boxPorts->maxCount(), int(MaxPorts)) - 1);
    names << QLatin1String(TDemoPort::Name);
    ui->boxPorts->addItems(names);
    // Device paths are longer than the box: let the drop-down show them whole.
    ui->boxPorts->view()->setMinimumWidth(ui->boxPorts->view()->sizeHintForColumn(0) + 8);

    const int at = names.indexOf(TSerialPort::normalizedName(current));
    if (!current.isEmpty() && at >= 0)
        ui->boxPorts->setCurrentIndex(at);

    connect(ui->bClose, &QPushButton::clicked, this, &TPort::Quit);
    connect(ui->bSet, &QPushButton::clicked, this, &TPort::Set);
}

TPort::~TPort()
{
    delete ui;
}

void TPort::Quit()
{
    reject();
}

void TPort::Set()
{
    chosen = ui->boxPorts->currentText();
    accept();
}
