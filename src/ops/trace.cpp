#include "ops/trace.h"

#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTime>

#include "link/traceline.h"
#include "link/tthread.h"
#include "ui_trace.h"

Trace::Trace(QWidget *parent, TThread *thread)
    : TWorkWindow(parent, KeepOnClose), ui(new Ui::TraceClass)
{
    ui->setupUi(this);
    this->thread = thread;
    mask = 0;
    ui->bRun->setEnabled(true);
    ui->boxCh->setEnabled(true);

    connect(ui->bReset, &QPushButton::clicked, this, &Trace::Clear);
    connect(ui->bClose, &QPushButton::clicked, this, &Trace::Quit);
    if (thread)
        connect(thread, &TThread::traceErr, this, &Trace::Error);
    connect(ui->bRun, &QPushButton::toggled, this, &Trace::Run);
    connect(ui->chkRad, &QCheckBox::toggled, this, &Trace::ChkRad);
    connect(ui->chkI2C, &QCheckBox::toggled, this, &Trace::ChkI2C);
    connect(ui->chkRxP, &QCheckBox::toggled, this, &Trace::ChkRxP);
    connect(ui->chkTxP, &QCheckBox::toggled, this, &Trace::ChkTxP);
    if (thread)
        connect(thread, &TThread::traceRdy, this, &Trace::Data);
    showTimer.setSingleShot(true);
    showTimer.setInterval(ShowEveryMs);
    connect(&showTimer, &QTimer::timeout, this, &Trace::showPending);
}

Trace::~Trace()
{
    // The board keeps streaming until it is told otherwise.
    if (ui->bRun->isChecked() && thread)
        thread->postTrace(0);
}

void Trace::Clear()
{
    pending.clear();
    ui->textLog->clear();
}

void Trace::Error()
{
    // Unchecking the button switches tracing off through Run(false).
    ui->bRun->setChecked(false);
}

void Trace::Run(bool on)
{
    if (on) {
        ui->boxCh->setEnabled(false);
        if (thread)
            thread->postTrace(mask);
        ui->bRun->setText(tr("Cтоп")); // Latin C, then Cyrillic
    } else {
        if (thread)
            thread->postTrace(0);
        ui->bRun->setText(tr("Cтарт")); // Latin C, then Cyrillic
        ui->boxCh->setEnabled(true);
    }
}

void Trace::ChkRad(bool on)
{
    setMaskBit(MaskRad, on);
}

void Trace::ChkI2C(bool on)
{
    setMaskBit(MaskI2C, on);
}

void Trace::ChkRxP(bool on)
{
    setMaskBit(MaskRxP, on);
}

void Trace::ChkTxP(bool on)
{
    setMaskBit(MaskTxP, on);
}

void Trace::setMaskBit(quint8 bit, bool on)
{
    if (on)
        mask |= bit;
    else
        mask &= quint8(~bit);
}

void Trace::poll()
{
    if (thread)
        thread->postTracePoll();
}

// The record: byte 0 = m (bytes that follow), byte 1 = channel, bytes 2..m = data.
// It lives in the thread's buffer until the next poll, which is posted only after
// the record has been decoded.
void Trace::Data(quint8 *rec)
{
    const QString stamp = timeStamp();
    // A poll that was under way when tracing stopped: drop its record.
    if (!ui->bRun->isChecked() || !rec)
        return;
    const QString line = TraceLine::text(rec, stamp);
    if (!line.isEmpty()) {
        // A fast board brings dozens of records a second: they go into the log together,
        // a few times a second, instead of laying the whole log out again for each.
        pending.prepend(line);
        if (pending.size() > MaxLines)
            pending.removeLast(); // it would drop off the bottom anyway
        if (!showTimer.isActive())
            showTimer.start();
    }
    poll();
}

// The time as the lines show it. Asking the system for the local time looks at the time zone
// each time; at dozens of records a second it is asked once a second.
QString Trace::timeStamp()
{
    if (!stampClock.isValid() || stampClock.elapsed() >= stampValidMs) {
        const QTime now = QTime::currentTime();
        stampText = now.toString(Qt::TextDate);
        stampValidMs = 1000 - now.msec();
        stampClock.start();
    }
    return stampText;
}

// Puts the lines that came since the last time on top, newest first; the oldest lines beyond
// the limit drop off the bottom.
void Trace::showPending()
{
    if (pending.isEmpty())
        return;
    QTextDocument *doc = ui->textLog->document();
    QTextCursor cursor(doc);
    cursor.movePosition(QTextCursor::Start);
    cursor.insertText(pending.join(QLatin1Char('\r')) + QLatin1Char('\r'));
    pending.clear();
    // Each line ends with a line end, so the document's last block is the empty one.
    if (doc->blockCount() > MaxLines + 1) {
        QTextCursor tail(doc->findBlockByNumber(MaxLines));
        tail.movePosition(QTextCursor::End, QTextCursor::KeepAnchor);
        tail.removeSelectedText();
    }
}
