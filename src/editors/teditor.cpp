#include "editors/teditor.h"

#include <QPushButton>
#include <QSignalMapper>
#include <QTimer>

TEditor::TEditor(TThread *thread) : thread(thread)
{
    if (thread)
        thread->getIdent(ident);
}

bool TEditor::start(int mode, const Buttons &b)
{
    testButton = b.bTest;
    liveTimer = new QTimer(this);
    liveTimer->setSingleShot(true);
    liveTimer->setInterval(LiveDelay);
    mapper = new QSignalMapper(this);
    dirty = 0;

    if (mode == 0) {
        Default();
        close();
        return false;
    }
    connect(b.bReset, &QPushButton::clicked, this, &TEditor::Default);
    connect(b.bSave, &QPushButton::clicked, this, &TEditor::Save);
    connect(b.bClose, &QPushButton::clicked, this, &TEditor::Quit);
    connect(b.bTest, &QPushButton::toggled, this, &TEditor::Test);
    return true;
}

void TEditor::setMapping(QObject *control, int bit)
{
    mapper->setMapping(control, bit);
}

void TEditor::Save()
{
    storeWork();
    emit reqClose(true);
}

void TEditor::Default()
{
    writeDefaults();
    Fill();
}

void TEditor::Test(bool on)
{
    dirty = 0;
    liveTimer->stop();
    disconnect(timerConn);
    disconnect(mapperConn);
    if (on) {
        timerConn = connect(liveTimer, &QTimer::timeout, this, &TEditor::TestStt);
        mapperConn = connect(mapper, &QSignalMapper::mappedInt, this, &TEditor::TestSet);
        liveStarted();
    } else {
        testButton->setChecked(false);
    }
}

void TEditor::TestSet(int bits)
{
    liveTimer->start(LiveDelay);
    dirty |= bits;
}

void TEditor::TestStt()
{
    liveTimer->stop();
    const int mask = dirty;
    sendChanges(mask);
    dirty = 0;
}

void TEditor::Conn(bool on)
{
    testButton->setChecked(false);
    if (!on) {
        Test(false);
        testButton->setEnabled(false);
    } else {
        testButton->setEnabled(true);
    }
}

void TEditor::postCodec(const quint8 *pairs, int count)
{
    if (thread)
        thread->postCodec(pairs, count);
}

void TEditor::postCodec(quint8 reg, quint8 value)
{
    const quint8 pair[2] = {reg, value};
    postCodec(pair, 1);
}

void TEditor::postCtl(TThread::TaskType type, const quint8 *flags)
{
    if (!thread)
        return;
    if (type == TThread::TaskRxCtl)
        thread->postRxCtl(flags);
    else
        thread->postMicCtl(flags);
}
