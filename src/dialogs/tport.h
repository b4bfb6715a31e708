#ifndef TPORT_H
#define TPORT_H

#include <QDialog>
#include <QStringList>

namespace Ui
{
class PortClass;
}

// Choice of the serial port that leads to the RIB. Only the ports that can be
// opened exclusively right now are offered; the current one is preselected.
class TPort : public QDialog
{
    Q_OBJECT

public:
    enum { MaxPorts = 100 };

    TPort(QWidget *parent, const QString &current);
    ~TPort() override;

    // The chosen name after "Ввод"; the caller's current name otherwise.
    QString portName() const { return chosen; }

    // The names worth trying: the ports the system reports plus the current
    // name, without repeats, in natural order ("ttyS2" before "ttyS10").
    static QStringList candidates(const QString &current);
    // True when the port can be opened for reading and writing right now,
    // i.e. no other program holds it. The port is closed again at once.
    static bool canOpen(const QString &name);

public slots:
    void Quit();
    void Set();

private:
    Ui::PortClass *ui;
    QString chosen;
};

#endif // TPORT_H
