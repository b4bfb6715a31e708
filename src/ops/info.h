#ifndef INFO_H
#define INFO_H

#include <QDate>

#include <memory>

#include "app/tworkwindow.h"
#include "config/boardidentity.h"

class TThread;

namespace Ui
{
class InfoClass;
}

// Board information window: the identity and the board data that the last
// configuration read fetched. In modes 3 and 10 the serial number and the
// production date can be edited and written back to the board.
class Info : public TWorkWindow
{
    Q_OBJECT

public:
    explicit Info(TThread *thread, quint8 mode);
    ~Info() override;

public slots:
    // The window shows what it was given: closing it keeps everything.
    void Quit() override;
    void Save();
    void setNumber(int number);
    void setDate(const QDate &date);

private:
    // Takes over copies of an 18-byte identity record and a 22-byte board data
    // record and shows them.
    void setRecords(const quint8 *ident, const quint8 *info);
    void showRecords();
    void clearDate();

    std::unique_ptr<Ui::InfoClass> ui;
    TThread *thread = nullptr;
    quint8 ident[BoardIdentity::IdentSize] = {};
    quint8 info[BoardIdentity::InfoSize] = {};
    // What the editors were given, so that Save() can tell the technician's
    // changes from values the editors could not hold.
    int spinShown = 0;
    QDate dateShown;
};

#endif // INFO_H
