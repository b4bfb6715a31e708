#ifndef TPROGRESS_H
#define TPROGRESS_H

#include "app/tworkwindow.h"

namespace Ui
{
class ReadClass;
}
class QTimer;
class TThread;

// The common body of the operation windows (read, write, test, software load):
// the progress form, the close timer and the rule by which the window asks to be
// closed.
class TProgress : public TWorkWindow
{
    Q_OBJECT

public:
    ~TProgress() override;

    bool isFailed() const { return failed; }

public slots:
    // Still running: cancelled (false); ended: true only when the operation succeeded.
    void Quit() override;

protected:
    explicit TProgress(TThread *thread);

    // The operation is running: cancel button, the running text.
    void setRunning(const QString &text);
    // The operation has ended: close button, label text (unless empty), timer.
    void setEnded(const QString &text, int ms);
    // The operation has failed: error text, close button, 5 s timer.
    void setFailed(const QString &text);

    void setBarMaximum(qint64 max);
    // The bar follows the count until the operation fails; a negative count moves nothing.
    void setBarCount(qint64 count);

    // The window's own task: the thread's signals count only while it runs, so that a
    // task of another window (one cancelled or closed a moment ago) never reaches this one.
    void follow(quint32 id) { task = id; }
    // Connects a signal of the thread to a slot of this window W through that filter.
    template <class W, typename... Args>
    void connectOwn(void (TThread::*signal)(Args...), void (W::*slot)(Args...))
    {
        if (!thread)
            return;
        connect(thread, signal, this, [this, slot](Args... args) {
            if (running)
                (static_cast<W *>(this)->*slot)(args...);
        });
    }

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
