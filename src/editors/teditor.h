#ifndef TEDITOR_H
#define TEDITOR_H

#include <QSignalMapper>
#include <QWidget>

class QPushButton;
class QTimer;
class TThread;

// What the three channel editors share: the identity copy, the Save/Close/Reset
// handshake with the main window and live control ("Контроль"), where every change
// marks its group in the dirty mask and the groups go to the board 250 ms after the
// last change.
class TEditor : public QWidget
{
    Q_OBJECT

public:
    enum { IdentSize = 18, LiveDelay = 250 };
    enum TaskType { TaskCodec = 7, TaskRxCtl = 8, TaskMicCtl = 9 };

    ~TEditor() override;

    int dirtyMask() const { return dirty; }

    // Sets every control from the record bytes the editor was given.
    virtual void Fill() = 0;

signals:
    void reqClose(bool ok);

public slots:
    void Quit();
    void Save();
    void Default();
    void Test(bool on);
    void TestSet(int bits);
    void TestStt();
    void Conn(bool on);

protected:
    explicit TEditor(TThread *thread);

    // Creates the live timer and the signal mapper; bTest is the "Контроль" button.
    void initLive(QPushButton *bTest);
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
    void postCtl(int type, const quint8 *flags);

    TThread *thread;
    quint8 ident[IdentSize];

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
