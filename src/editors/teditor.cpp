#include "teditor.h"

#include <QPushButton>
#include <QSignalMapper>
#include <QTimer>

#include "tthread.h"

TEditor::TEditor(TThread *thread) : QWidget(nullptr), thread(thread)
{
    setAttribute(Qt::WA_DeleteOnClose);
    std::fill(ident, ident + IdentSize, quint8(0));
    if (thread)
        thread->getIdent(ident);
}

TEditor::~TEditor()
{
    disconnect(this, &TEditor::reqClose, nullptr, nullptr);
}

void TEditor::initLive(QPushButton *bTest)
{
    testButton = bTest;
    liveTimer = new QTimer(this);
    liveTimer->setSingleShot(true);
    liveTimer->setInterval(LiveDelay);
    mapper = new QSignalMapper(this);
    dirty = 0;
}

void TEditor::setMapping(QObject *control, int bit)
{
    mapper->setMapping(control, bit);
}

void TEditor::Quit()
{
    emit reqClose(false);
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

void TEditor::postCtl(int type, const quint8 *flags)
{
    if (!thread)
        return;
    if (type == TaskRxCtl)
        thread->postRxCtl(flags);
    else
        thread->postMicCtl(flags);
}
