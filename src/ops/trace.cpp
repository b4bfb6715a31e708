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
    // The lines are Latin and Cyrillic letters, digits and signs, which need no shaping: laying
    // them out without it costs a fraction, and a fast stream brings dozens a second.
    QFont logFont = ui->textLog->font();
    logFont.setStyleStrategy(QFont::PreferNoShaping);
    ui->textLog->setFont(logFont);

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
    connect(&showTimer, &QTimer::timeout, this, [this] {
        if (!pending.isEmpty()) {
            showPending();
            showTimer.start();
        }
    });
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
    shownLines = 0;
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
        // instead of laying the whole log out again for each.
        pending.prepend(line);
        if (pending.size() > MaxLines)
            pending.removeLast(); // it would drop off the bottom anyway
        if (!showTimer.isActive()) {
            showPending();
            showTimer.start();
        }
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
// the limit drop off the bottom. The lines of one go share paragraphs of up to ParagraphLines
// lines, separated by line breaks: a line is still a line on the screen and in a copy, but the
// log shifts a hundred paragraphs instead of thousands each time lines go on top, and cutting
// lines off the bottom lays out no more than one paragraph again.
void Trace::showPending()
{
    if (pending.isEmpty())
        return;
    QString text;
    for (qsizetype i = 0; i < pending.size(); ++i) {
        text += pending.at(i);
        const bool paragraphEnds = (i + 1) % ParagraphLines == 0 || i + 1 == pending.size();
        text += QChar(paragraphEnds ? QChar::ParagraphSeparator : QChar::LineSeparator);
    }
    QTextCursor cursor(ui->textLog->document());
    cursor.movePosition(QTextCursor::Start);
    cursor.insertText(text);
    shownLines += int(pending.size());
    pending.clear();
    if (shownLines > MaxLines)
        dropOldest(shownLines - MaxLines);
}

// Removes the given number of lines from the bottom of the log. Each paragraph ends with a
// paragraph break, so the document's last block is the empty one.
void Trace::dropOldest(int lines)
{
    QTextDocument *doc = ui->textLog->document();
    while (lines > 0) {
        const QTextBlock block = doc->lastBlock().previous();
        if (!block.isValid())
            break;
        const QString text = block.text();
        const int inBlock = int(text.count(QChar(QChar::LineSeparator))) + 1;
        QTextCursor cut(doc);
        if (lines >= inBlock) {
            // The whole paragraph with its break.
            cut.setPosition(block.position());
            cut.setPosition(doc->lastBlock().position(), QTextCursor::KeepAnchor);
        } else {
            // Its last lines, from the break before the first of them.
            int at = -1;
            for (int kept = inBlock - lines; kept > 0; --kept)
                at = int(text.indexOf(QChar(QChar::LineSeparator), at + 1));
            cut.setPosition(block.position() + at);
            cut.setPosition(block.position() + int(text.size()), QTextCursor::KeepAnchor);
        }
        cut.removeSelectedText();
        const int dropped = qMin(lines, inBlock);
        lines -= dropped;
        shownLines -= dropped;
    }
}
