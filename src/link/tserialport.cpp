#include "link/tserialport.h"

#include <QCollator>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSerialPortInfo>
#include <QThread>

#include <algorithm>
#include <cstring>

#include "link/portname.h"

#ifdef Q_OS_UNIX
#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>
#endif

TSerialPort::TSerialPort() = default;

TSerialPort::~TSerialPort()
{
    close();
}

QString TSerialPort::devicePath(const QString &name)
{
    if (!name.contains(QLatin1Char('/')))
        return name;
    // Empty when the path names nothing: the open then fails as it should.
    return QFileInfo(name).canonicalFilePath();
}

QString TSerialPort::normalizedName(const QString &name)
{
    static const QRegularExpression com(QStringLiteral(R"(^(?:\\\\\.\\)?(com\d+)$)"),
                                        QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch m = com.match(name);
    return m.hasMatch() ? m.captured(1).toUpper() : name;
}

bool TSerialPort::open(const QString &name)
{
    close();
    lastError = NoError;
    lastErrorText.clear();
    // A name the device path and its lock file cannot carry whole never reaches QSerialPort.
    lastErrorText = PortName::problem(name);
    if (!lastErrorText.isEmpty()) {
        lastError = OtherError;
        return false;
    }
    const QString path = devicePath(normalizedName(name));
    if (path.isEmpty()) {
        lastError = NotFound;
        return false;
    }
    port.setPortName(path);
    if (!port.open(QIODevice::ReadWrite)) {
        explainOpenFailure(path);
        port.clearError();
        return false;
    }
    // A RIB that takes its power or its enable from DTR or RTS stays silent without them: a
    // Linux tty raises both as it opens, Windows leaves RTS low. A line that has no such
    // lines (a pseudo-terminal) or whose RTS the flow control drives refuses, which is no
    // fault of the line.
    port.setDataTerminalReady(true);
    port.setRequestToSend(true);
    // Every attempt starts on a quiet line: what arrived while the port was closed (a late
    // answer, the rest of a refused frame) belongs to no exchange of this attempt.
    port.clear(QSerialPort::Input);
    port.clearError();
    return true;
}

void TSerialPort::explainOpenFailure(const QString &path)
{
    const QSerialPort::SerialPortError error = port.error();
    lastErrorText = port.errorString();
    lastError = OtherError;
#ifdef Q_OS_UNIX
    // QSerialPort says "permission" both for a port that another program holds (its lock
    // file, or the exclusive flag of the tty) and for one the user may not open: the
    // device itself tells them apart.
    // The device as QSerialPort opens it: a path as it stands, a bare name under /dev.
    const QByteArray device = QFile::encodeName(
        path.startsWith(QLatin1Char('/')) ? path : QStringLiteral("/dev/") + path);
    struct stat st;
    if (::stat(device.constData(), &st) != 0)
        lastError = errno == ENOENT || errno == ENOTDIR ? NotFound : OtherError;
    else if (!S_ISCHR(st.st_mode))
        lastError = NotSerial;
    else if (::access(device.constData(), R_OK | W_OK) != 0 && errno == EACCES)
        lastError = NoAccess;
    else if (error == QSerialPort::PermissionError)
        lastError = Busy;
    else if (error == QSerialPort::UnsupportedOperationError)
        lastError = NotSerial;
#else
    if (error == QSerialPort::DeviceNotFoundError)
        lastError = NotFound;
    else if (error == QSerialPort::PermissionError)
        lastError = Busy;
#endif
}

TLinkPort::OpenError TSerialPort::openError(QString *text) const
{
    if (text)
        *text = lastErrorText;
    return lastError;
}

bool TSerialPort::setTimeouts(quint32 readMs, quint32 writeMs)
{
    // QSerialPort has no driver time-outs: the loops below apply them.
    if (!port.isOpen())
        return false;
    readTimeout = readMs;
    writeTimeout = writeMs;
    return true;
}

int TSerialPort::configure()
{
    if (!port.isOpen())
        return -5;
    // Only the four settings of the line; flow control and the rest are not touched.
    if (!port.setBaudRate(QSerialPort::Baud9600) || !port.setDataBits(QSerialPort::Data8) ||
        !port.setParity(QSerialPort::NoParity) || !port.setStopBits(QSerialPort::OneStop)) {
        port.clearError();
        return -6;
    }
    return 0;
}

bool TSerialPort::onlyTimedOut()
{
    if (port.error() == QSerialPort::TimeoutError) {
        port.clearError();
        return true;
    }
    return port.error() == QSerialPort::NoError;
}

qint64 TSerialPort::read(quint8 *buf, qint64 n)
{
    if (!port.isOpen())
        return -1;
    if (n <= 0)
        return 0;
    const qint64 got = take(buf, n);
    expected = got < 0 ? 0 : qMax<qint64>(0, expected - got);
    return got;
}

void TSerialPort::expect(qint64 bytes)
{
    expected = qMax<qint64>(0, bytes);
}

qint64 TSerialPort::take(quint8 *buf, qint64 n)
{
    // Most reads of a transaction find their bytes already taken in.
    qint64 got = fromBuffers(buf, n);
    if (got >= n)
        return got;
    QDeadlineTimer deadline{qint64(readTimeout)};
    bool slept = false;
    for (;;) {
        if (deadline.hasExpired())
            return got;
        if (!slept && expected > got) {
            // The line brings a byte a millisecond: sleep while the bytes the link expects
            // come in, then take them all, rather than wake for each of them.
            QThread::usleep(
                quint64(qMin((expected - got) * ByteMicros, remainingMicros(deadline))));
            slept = true;
            if (!takeNow())
                return -1;
        } else {
            // Wait for the next bytes, however long they take.
            if (!pull(int(qMax<qint64>(1, deadline.remainingTime()))))
                return -1;
            slept = false;
        }
        got += fromBuffers(buf + got, n - got);
        if (got >= n)
            return got;
    }
}

// What has come in and no read has taken yet, oldest first: the bytes taken straight from the
// device, then those in QSerialPort's buffer (it fills only when both are empty).
qint64 TSerialPort::fromBuffers(quint8 *buf, qint64 n)
{
    const qint64 fromAhead = qMin(n, qint64(aheadEnd - aheadBegin));
    std::memcpy(buf, ahead + aheadBegin, size_t(fromAhead));
    aheadBegin += int(fromAhead);
    if (fromAhead == n || port.bytesAvailable() == 0)
        return fromAhead;
    return fromAhead +
           qMax<qint64>(0, port.read(reinterpret_cast<char *>(buf) + fromAhead, n - fromAhead));
}

// After a sleep the bytes are mostly there already: on Unix they are taken from the device in
// one call, where QSerialPort would first poll it (a trace at the line rate does this dozens
// of times a second). A line that is gone shows at the wait that follows, which sees the
// hang-up. Called with nothing taken in left; false when the line is gone.
bool TSerialPort::takeNow()
{
#ifdef Q_OS_UNIX
    const ssize_t r = ::read(port.handle(), ahead, sizeof ahead);
    aheadBegin = 0;
    aheadEnd = int(qMax<ssize_t>(0, r));
    return r >= 0 || errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR;
#else
    return pull(0);
#endif
}

bool TSerialPort::pull(int waitMs)
{
    // A wait that merely ran out is no failure; any other error is a dead line and must
    // not be waited on again (after a hang-up the wait returns at once, for ever).
    return port.waitForReadyRead(waitMs) || onlyTimedOut();
}

qint64 TSerialPort::remainingMicros(const QDeadlineTimer &deadline)
{
    return qMax<qint64>(0, deadline.remainingTimeNSecs() / 1000);
}

qint64 TSerialPort::write(const quint8 *buf, qint64 n)
{
    if (!port.isOpen())
        return -1;
    if (n <= 0)
        return 0;
    qint64 direct = 0;
#ifdef Q_OS_UNIX
    // A frame fits the driver's buffer: on Unix it goes to the device in one call. What the
    // device does not take now goes through QSerialPort's buffer and is waited for below.
    if (port.bytesToWrite() == 0) {
        const ssize_t r = ::write(port.handle(), buf, size_t(n));
        if (r < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR)
            return -1;
        direct = qMax<ssize_t>(0, r);
        if (direct == n)
            return n;
    }
#endif
    const qint64 queued = port.write(reinterpret_cast<const char *>(buf) + direct, n - direct);
    if (queued < 0) {
        port.clearError();
        return direct > 0 ? direct : -1;
    }
    // write() only buffers: the bytes are on the line when the buffer is empty. (No flush():
    // on a full device it fails with a write error rather than wait.)
    QDeadlineTimer deadline{qint64(writeTimeout)};
    while (port.bytesToWrite() > 0) {
        if (deadline.hasExpired())
            break;
        if (!port.waitForBytesWritten(int(qMax<qint64>(1, deadline.remainingTime())))) {
            if (!onlyTimedOut())
                return -1;
        }
    }
    return direct + queued - port.bytesToWrite();
}

void TSerialPort::close()
{
    expected = 0;
    aheadBegin = aheadEnd = 0;
    if (port.isOpen())
        port.close();
    port.clearError();
}

bool TSerialPort::isOpen() const
{
    return port.isOpen();
}

QStringList TSerialPort::candidates(const QString &current)
{
    QStringList names;
    const auto ports = QSerialPortInfo::availablePorts();
    for (const QSerialPortInfo &info : ports) {
        const QString name = info.portName();
        if (!name.isEmpty() && !names.contains(name))
            names << name;
    }
    // Pseudo-terminals and other lines the system does not enumerate; a port named otherwise
    // than the system names it ("com3") is listed once.
    const QString cur = normalizedName(current);
    if (!cur.isEmpty() && PortName::problem(cur).isEmpty() && !names.contains(cur))
        names << cur;
    // In the order the user counts them: "ttyS2" before "ttyS10". Port names are Latin; a
    // collator of the C locale would only compare code points.
    QCollator order{QLocale(QLocale::English)};
    order.setNumericMode(true);
    std::sort(names.begin(), names.end(), order);
    // The current port must not fall off the end of a long list.
    if (!cur.isEmpty() && names.indexOf(cur) >= MaxListed) {
        names.removeAll(cur);
        names.insert(MaxListed - 1, cur);
    }
    return names;
}

bool TSerialPort::canOpen(const QString &name)
{
    if (name.isEmpty() || !PortName::problem(name).isEmpty())
        return false;
    QSerialPort port;
    port.setPortName(normalizedName(name));
    if (!port.open(QIODevice::ReadWrite))
        return false;
    port.close();
    return true;
}

QStringList TSerialPort::openablePorts(const QString &current, int limit)
{
    QStringList names;
    const QStringList all = candidates(current);
    for (const QString &name : all) {
        if (names.size() >= limit)
            break;
        if (canOpen(name))
            names << name;
    }
    return names;
}

namespace
{
// The link under /dev/serial/by-id that leads to the device, if the system made one.
QString byIdName(const QString &device)
{
    const QString target = QFileInfo(device).canonicalFilePath();
    if (target.isEmpty())
        return QString();
    const QFileInfoList links =
        QDir(QStringLiteral("/dev/serial/by-id"))
            .entryInfoList(QDir::System | QDir::Files | QDir::NoDotAndDotDot, QDir::Name);
    for (const QFileInfo &link : links) {
        if (link.canonicalFilePath() == target)
            return link.filePath();
    }
    return QString();
}
} // namespace

TSerialPort::Details TSerialPort::details(const QString &name)
{
    Details d;
    d.name = name;
    const QString path = devicePath(normalizedName(name));
    const auto ports = QSerialPortInfo::availablePorts();
    for (const QSerialPortInfo &info : ports) {
        if (info.portName() == name || info.systemLocation() == path) {
            d.description = info.description();
            d.manufacturer = info.manufacturer();
            d.serialNumber = info.serialNumber();
            d.byId = byIdName(info.systemLocation());
            return d;
        }
    }
    d.byId = byIdName(path);
    return d;
}
