#include "tport.h"

#include <QAbstractItemView>
#include <QSerialPort>
#include <QSerialPortInfo>

#include <algorithm>

#include "ui_port.h"

namespace
{
// Splits "ttyUSB12" into "ttyUSB" and 12 so that ports sort as the user counts them.
bool naturalLess(const QString &a, const QString &b)
{
    auto split = [](const QString &s, QString &head, qulonglong &num, bool &hasNum) {
        int i = s.size();
        while (i > 0 && s.at(i - 1).isDigit())
            --i;
        head = s.left(i);
        hasNum = i < s.size();
        num = hasNum ? s.mid(i).toULongLong() : 0;
    };
    QString ha, hb;
    qulonglong na, nb;
    bool da, db;
    split(a, ha, na, da);
    split(b, hb, nb, db);
    if (ha != hb)
        return ha < hb;
    if (da != db)
        return !da;
    if (na != nb)
        return na < nb;
    return a < b;
}
} // namespace

TPort::TPort(QWidget *parent, const QString &current)
    : QDialog(parent), ui(new Ui::PortClass), chosen(current)
{
    ui->setupUi(this);

    ui->boxPorts->clear();
    QStringList names;
    const int limit = qMin(ui->boxPorts->maxCount(), int(MaxPorts));
    const QStringList all = candidates(current);
    for (const QString &name : all) {
        if (names.size() >= limit)
            break;
        if (canOpen(name))
            names << name;
    }
    ui->boxPorts->addItems(names);
    // Device paths are longer than the box: let the drop-down show them whole.
    ui->boxPorts->view()->setMinimumWidth(ui->boxPorts->view()->sizeHintForColumn(0) + 8);

    const int at = names.indexOf(current);
    if (!current.isEmpty() && at >= 0)
        ui->boxPorts->setCurrentIndex(at);

    connect(ui->bClose, &QPushButton::clicked, this, &TPort::Quit);
    connect(ui->bSet, &QPushButton::clicked, this, &TPort::Set);
}

TPort::~TPort()
{
    delete ui;
}

QStringList TPort::candidates(const QString &current)
{
    QStringList names;
    const auto ports = QSerialPortInfo::availablePorts();
    for (const QSerialPortInfo &info : ports) {
        const QString name = info.portName();
        if (!name.isEmpty() && !names.contains(name))
            names << name;
    }
    // Pseudo-terminals and other lines the system does not enumerate.
    if (!current.isEmpty() && !names.contains(current))
        names << current;
    std::sort(names.begin(), names.end(), naturalLess);
    // The current port must not fall off the end of a long list.
    if (!current.isEmpty() && names.indexOf(current) >= MaxPorts) {
        names.removeAll(current);
        names.insert(MaxPorts - 1, current);
    }
    return names;
}

bool TPort::canOpen(const QString &name)
{
    if (name.isEmpty())
        return false;
    QSerialPort port;
    port.setPortName(name);
    if (!port.open(QIODevice::ReadWrite))
        return false;
    port.close();
    return true;
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
