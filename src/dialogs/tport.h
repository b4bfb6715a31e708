#ifndef TPORT_H
#define TPORT_H

#include <QDialog>

// Placeholder until the port dialog is built.
class TPort : public QDialog
{
    Q_OBJECT

public:
    TPort(QWidget *parent, const QString &current);
    QString portName() const { return chosen; }

private:
    QString chosen;
};

#endif // TPORT_H
