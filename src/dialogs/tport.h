#ifndef TPORT_H
#define TPORT_H

#include <QDialog>
#include <QStringList>

namespace Ui
{
class PortClass;
}

// Choice of the serial port that leads to the RIB. Only the ports that can be
// opened exclusively right now are offered, and the demo board "DEMO" always; the
// current one is preselected.
class TPort : public QDialog
{
    Q_OBJECT

public:
    enum { MaxPorts = 100 };

    TPort(QWidget *parent, const QString &current);
    ~TPort() override;

    // The chosen name after "Ввод"; the caller's current name otherwise.
    QString portName() const { return chosen; }

public slots:
    void Quit();
    void Set();

private:
    Ui::PortClass *ui;
    QString chosen;
};

#endif // TPORT_H
