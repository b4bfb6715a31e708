#include "ops/tprogress.h"

#include <QCloseEvent>
#include <QTimer>

#include "link/tthread.h"
#include "ui_progress.h"

namespace
{
int clampToInt(qint64 v)
{
    if (v < 0)
        return 0;
    if (v > std::numeric_limits<int>::max())
        return std::numeric_limits<int>::max();
    return int(v);
}
} // namespace

TProgress::TProgress(TThread *thr) : ui(new Ui::ReadClass), thread(thr)
{
    ui->setupUi(this);

    closeTimer = new QTimer(this);
    closeTimer->setObjectName(QStringLiteral("closeTimer"));
    closeTimer->setSingleShot(true);

    connect(ui->bClose, &QPushButton::clicked, this, &TProgress::Quit);
    connect(closeTimer, &QTimer::timeout, this, &TProgress::Quit);
    if (thread) {
        connect(thread, &TThread::taskBeg, this, [this](quint32 id) { running = id == task; });
        connect(thread, &TThread::taskEnd, this, [this](quint32) { running = false; });
    }

    ui->progressBar->setMinimum(0);
    ui->progressBar->setValue(0);
}

TProgress::~TProgress()
{
    closeTimer->stop();
    delete ui;
}

void TProgress::letGo()
{
    // What the task still reports (a record, a bar) must not reach a record the main window
    // is about to drop, and the timer must not ask for a close the window no longer needs.
    closeTimer->stop();
    task = 0;
    running = false;
}

void TProgress::closeEvent(QCloseEvent *event)
{
    // Closed another way than by Quit() (its frame, the Window menu, the configuration
    // closed under it): its deletion waits for the event loop, the task's queued results
    // come first.
    letGo();
    QWidget::closeEvent(event);
}

void TProgress::Quit()
{
    letGo(); // asked to close
    if (ui->bClose->text() == tr("Отменить"))
        emit reqClose(false); // still running: cancelled
    else
        emit reqClose(!failed);
}

void TProgress::setRunning(const QString &text)
{
    ui->bClose->setText(tr("Отменить"));
    ui->label->setText(text);
}

void TProgress::setEnded(const QString &text, int ms)
{
    if (!text.isEmpty())
        ui->label->setText(text);
    ui->bClose->setText(tr("Закрыть"));
    closeTimer->start(ms);
}

void TProgress::setFailed(const QString &text)
{
    ui->label->setText(text);
    ui->bClose->setText(tr("Закрыть"));
    failed = true;
    closeTimer->start(FailMs);
}

void TProgress::setBarMaximum(qint64 max)
{
    ui->progressBar->setMaximum(clampToInt(max));
}

void TProgress::setBarCount(qint64 count)
{
    if (!failed && count >= 0)
        ui->progressBar->setValue(clampToInt(count));
}
