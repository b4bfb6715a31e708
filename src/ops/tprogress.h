#ifndef TPROGRESS_H
#define TPROGRESS_H

#include <QWidget>

namespace Ui
{
class ReadClass;
}
class QTimer;
class TThread;

// The common body of the operation windows (read, write, test, software load):
// the progress form, the close timer and the rule by which the window asks to be
// closed. A window never closes itself; it emits reqClose() and the main window
// closes it.
class TProgress : public QWidget
{
    Q_OBJECT

public:
    ~TProgress() override;

    bool isFailed() const { return failed; }

signals:
    // True only when the operation ended with success; false on cancel or failure.
    void reqClose(bool ok);

public slots:
    void Quit();

protected:
    explicit TProgress(TThread *thread);

    // The operation is running: cancel button, the running text.
    void setRunning(const QString &text);
    // The operation has ended: close button, label text (unless empty), timer.
    void setEnded(const QString &text, int ms);
    // The operation has failed: error text, close button, 5 s timer.
    void setFailed(const QString &text);

    void setBarMaximum(qint64 max);
    void setBarValue(qint64 value);

    // The window's own task: the thread's signals count only while it runs, so that a
    // task of another window (one cancelled or closed a moment ago) never reaches this one.
    void follow(quint32 id) { task = id; }
    bool ownTask() const { return running; }

    void closeEvent(QCloseEvent *event) override;

    Ui::ReadClass *ui;
    QTimer *closeTimer;
    TThread *thread; // not owned
    bool failed = false;

private:
    void letGo();

    quint32 task = 0;
    bool running = false;

public:
    enum { DoneReadMs = 500, DoneMs = 1000, FailMs = 5000 };
};

#endif // TPROGRESS_H
