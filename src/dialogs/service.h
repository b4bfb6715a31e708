#ifndef SERVICE_H
#define SERVICE_H

#include <QDialog>

namespace Ui
{
class ServiceClass;
}

// Maps a typed service code to an operating mode. A wrong code closes the dialog
// as if it had been cancelled, without a word.
class Service : public QDialog
{
    Q_OBJECT

public:
    explicit Service(QWidget *parent);
    ~Service() override;

    // The selected mode after an accepted dialog; 0 while no code matched.
    int mode() const { return svcMode; }

    // The mode of a code, compared exactly and case-sensitively; 0 for none.
    static int modeOf(const QString &code);

public slots:
    void Quit();
    void Set();

private:
    Ui::ServiceClass *ui;
    int svcMode = 0;
};

#endif // SERVICE_H
