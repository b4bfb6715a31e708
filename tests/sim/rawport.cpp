#include "rawport.h"

#include <QDeadlineTimer>
#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

bool RawPort::open(const QString &path)
{
    close();
    fd = ::open(path.toLocal8Bit().constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return false;
    termios t;
    if (tcgetattr(fd, &t) == 0) {
        cfmakeraw(&t);
        tcsetattr(fd, TCSANOW, &t);
    }
    return true;
}

void RawPort::close()
{
    if (fd >= 0)
        ::close(fd);
    fd = -1;
}

bool RawPort::write(const QByteArray &b)
{
    return fd >= 0 && ::write(fd, b.constData(), size_t(b.size())) == b.size();
}

QByteArray RawPort::read(int n, int timeoutMs)
{
    QByteArray r;
    QDeadlineTimer dl(timeoutMs);
    while (fd >= 0 && r.size() < n && !dl.hasExpired()) {
        pollfd p = {fd, POLLIN, 0};
        if (::poll(&p, 1, int(qMax<qint64>(1, dl.remainingTime()))) <= 0)
            continue;
        char buf[512];
        const ssize_t k = ::read(fd, buf, size_t(qMin<qsizetype>(sizeof buf, n - r.size())));
        if (k <= 0) {
            if (k < 0 && errno == EAGAIN)
                continue;
            break;
        }
        r.append(buf, int(k));
    }
    return r;
}

QByteArray RawPort::readIdle(int idleMs)
{
    QByteArray r;
    while (fd >= 0) {
        pollfd p = {fd, POLLIN, 0};
        if (::poll(&p, 1, idleMs) <= 0)
            break;
        char buf[512];
        const ssize_t k = ::read(fd, buf, sizeof buf);
        if (k <= 0)
            break;
        r.append(buf, int(k));
    }
    return r;
}

bool RawPort::waitHangup(int timeoutMs)
{
    QDeadlineTimer dl(timeoutMs);
    while (fd >= 0 && !dl.hasExpired()) {
        pollfd p = {fd, POLLIN, 0};
        if (::poll(&p, 1, int(qMax<qint64>(1, dl.remainingTime()))) <= 0)
            continue;
        char c;
        const ssize_t k = ::read(fd, &c, 1);
        if (k == 0 || (k < 0 && errno != EAGAIN))
            return true;
        if (p.revents & (POLLHUP | POLLERR))
            return true;
    }
    return false;
}
