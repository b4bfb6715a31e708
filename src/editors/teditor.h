#ifndef TEDITOR_H
#define TEDITOR_H

#include <QSignalMapper>

#include "app/tworkwindow.h"
#include "config/boardidentity.h"
#include "link/tthread.h"

class QPushButton;
class QTimer;

// What the three channel editors share: the identity copy, the Save/Close/Reset
// handshake with the main window and live control ("Контроль"), where every change
// marks its group in the dirty mask and the groups go to the board 250 ms after the
// last change.
class TEditor : public TWorkWindow
{
    Q_OBJECT

public:
    enum { LiveDelay = 250 };

    int dirtyMask() const { return dirty; }

    // Sets every control from the record bytes the editor was given.
    virtual void Fill() = 0;

public slots:
    void Save();
    void Default();
    void Test(bool on);
    void TestSet(int bits);
    void TestStt();
    void Conn(bool on);

protected:
    explicit TEditor(TThread *thread);

    // The buttons every editor has: "Контроль", "Сброс", "Сохранить", "Закрыть".
    struct Buttons {
        QPushButton *bTest, *bReset, *bSave, *bClose;
    };
    // Creates the live timer and the signal mapper. With mode zero the editor only writes
    // its defaults and closes: false. Otherwise it connects the buttons: true.
    bool start(int mode, const Buttons &buttons);
    // Gives a control's change signal its dirty-mask bit.
    template <typename Sender, typename Signal>
    void mapDirty(Sender *control, Signal signal, int bit)
    {
        connect(control, signal, mapperObject(), qOverload<>(&QSignalMapper::map));
        setMapping(control, bit);
    }

    // Hooks of the concrete editors.
    virtual void storeWork() = 0;           // Store() into the working copy
    virtual void writeDefaults() = 0;       // defaults into the working copy
    virtual void sendChanges(int mask) = 0; // live control: store and send the groups
    virtual void liveStarted() {}           // live control has just been entered

    QSignalMapper *mapperObject() const { return mapper; }

    void postCodec(const quint8 *pairs, int count);
    void postCodec(quint8 reg, quint8 value);
    void postCtl(TThread::TaskType type, const quint8 *flags);

    TThread *thread;
    quint8 ident[BoardIdentity::IdentSize] = {};

private:
    void setMapping(QObject *control, int bit);

    QPushButton *testButton = nullptr;
    QTimer *liveTimer = nullptr;
    QSignalMapper *mapper = nullptr;
    int dirty = 0;
    QMetaObject::Connection timerConn;
    QMetaObject::Connection mapperConn;
};

#endif // TEDITOR_H
