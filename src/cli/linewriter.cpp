#include "cli/linewriter.h"

#include <QEventLoop>
#include <QTimer>

#include <cerrno>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <utility>

#include <unistd.h>

// What the writer thread and the object share; the thread holds it past the object's end.
struct LineWriter::Shared {
    std::mutex lock;
    std::condition_variable wake;
    QByteArray pending;
    bool writing = false;
    bool broken = false;
    bool quit = false;
    LineWriter *owner = nullptr; // null once the object is gone
    int fd = -1;

    // Tells the owner, on its own thread; called with the lock held.
    void tell(void (LineWriter::*signal)())
    {
        if (owner)
            QMetaObject::invokeMethod(owner, signal, Qt::QueuedConnection);
    }
    bool writeAll(const QByteArray &bytes) const
    {
        for (qsizetype done = 0; done < bytes.size();) {
            const ssize_t n = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
            if (n < 0 && errno != EINTR)
                return false;
            done += qMax<ssize_t>(n, 0);
        }
        return true;
    }
    void run()
    {
        std::unique_lock<std::mutex> l(lock);
        for (;;) {
            wake.wait(l, [this] { return quit || !pending.isEmpty(); });
            if (quit)
                return;
            const QByteArray bytes = std::exchange(pending, QByteArray());
            writing = true;
            l.unlock();
            const bool ok = writeAll(bytes);
            l.lock();
            writing = false;
            if (!ok) {
                broken = true;
                tell(&LineWriter::failed);
                return;
            }
            if (pending.isEmpty())
                tell(&LineWriter::drained);
        }
    }
};

LineWriter::LineWriter(int fd, QObject *parent) : QObject(parent), shared(new Shared)
{
    shared->owner = this;
    shared->fd = fd;
    std::thread([s = shared] { s->run(); }).detach();
}

LineWriter::~LineWriter()
{
    std::lock_guard<std::mutex> l(shared->lock);
    shared->owner = nullptr;
    shared->quit = true;
    shared->wake.notify_all();
}

void LineWriter::put(const QByteArray &bytes)
{
    std::lock_guard<std::mutex> l(shared->lock);
    shared->pending += bytes;
    shared->wake.notify_all();
}

bool LineWriter::busy() const
{
    std::lock_guard<std::mutex> l(shared->lock);
    return !shared->broken && (shared->writing || !shared->pending.isEmpty());
}

bool LineWriter::drain(int ms)
{
    if (busy()) {
        QEventLoop loop;
        connect(this, &LineWriter::drained, &loop, &QEventLoop::quit);
        connect(this, &LineWriter::failed, &loop, &QEventLoop::quit);
        QTimer::singleShot(ms, &loop, &QEventLoop::quit);
        loop.exec();
    }
    std::lock_guard<std::mutex> l(shared->lock);
    return !shared->broken && !shared->writing && shared->pending.isEmpty();
}
