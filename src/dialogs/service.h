#ifndef SERVICE_H
#define SERVICE_H

#include <QDialog>

// Placeholder until the service dialog is built.
class Service : public QDialog
{
    Q_OBJECT

public:
    explicit Service(QWidget *parent);
    int mode() const { return svcMode; }

private:
    int svcMode = 0;
};

#endif // SERVICE_H
