#include "link/tmemoryport.h"

#include <QMutexLocker>

#include "link/ribframe.h"

TMemoryPort::TMemoryPort() = default;

TMemoryPort::TMemoryPort(bool record) : recorded(record) {}

void TMemoryPort::note(const QString &event)
{
    if (recorded)
        log.add(event);
}

void TMemoryPort::setResponder(Responder r)
{
    QMutexLocker l(&lock);
    responder = std::move(r);
}

void TMemoryPort::feed(const QByteArray &bytes)
{
    QMutexLocker l(&lock);
    input.append(bytes);
}

void TMemoryPort::setFaults(const Faults &f)
{
    QMutexLocker l(&lock);
    faults = f;
    reads = settings = 0;
}

void TMemoryPort::setOpenFails(bool fails, OpenError why, const QString &text)
{
    QMutexLocker l(&lock);
    faults.openFails = fails;
    faults.openWhy = why;
    faults.openText = text;
}

TLinkPort::OpenError TMemoryPort::openError(QString *text) const
{
    QMutexLocker l(&lock);
    if (text)
        *text = faults.openText;
    return faults.openWhy;
}

// The observers hand out deep copies: the worker keeps appending to the
// originals while a test looks at what it got.

QByteArray TMemoryPort::written() const
{
    QMutexLocker l(&lock);
    return QByteArray(output.constData(), output.size());
}

QList<QByteArray> TMemoryPort::writes() const
{
    QMutexLocker l(&lock);
    QList<QByteArray> out;
    for (const QByteArray &b : blocks)
        out << QByteArray(b.constData(), b.size());
    return out;
}

QStringList TMemoryPort::events() const
{
    return log.lines();
}

QList<quint32> TMemoryPort::readTimeouts() const
{
    QMutexLocker l(&lock);
    return QList<quint32>(timeouts.constBegin(), timeouts.constEnd());
}

int TMemoryPort::openCount() const
{
    QMutexLocker l(&lock);
    return opens;
}

void TMemoryPort::clearRecord()
{
    QMutexLocker l(&lock);
    output.clear();
    blocks.clear();
    log.clear();
    timeouts.clear();
    opens = 0;
}

QByteArray TMemoryPort::answerFrame(quint8 id, const QByteArray &data)
{
    return RibFrame::answer(id, data);
}

QByteArray TMemoryPort::requestFrame(quint8 cmd, const QByteArray &data)
{
    return RibFrame::request(cmd, reinterpret_cast<const quint8 *>(data.constData()),
                             int(data.size()));
}

TMemoryPort::Responder TMemoryPort::rib(Board board)
{
    return [board](const QByteArray &w) {
        QByteArray out = w;
        if (w.size() >= RibFrame::RequestOverhead && quint8(w[0]) == RibFrame::Start &&
            quint8(w[1]) == RibFrame::RequestType && quint8(w[3]) + 4 == w.size()) {
            out.append(char(0x50));
            out.append(board(quint8(w[6]), w.mid(7, w.size() - RibFrame::RequestOverhead)));
        }
        return out;
    };
}

bool TMemoryPort::open(const QString &name)
{
    QMutexLocker l(&lock);
    note(QStringLiteral("open %1").arg(name));
    if (faults.openFails || name.isEmpty())
        return false;
    opened = true;
    ++opens;
    return true;
}

bool TMemoryPort::setTimeouts(quint32 readMs, quint32 writeMs)
{
    QMutexLocker l(&lock);
    note(QStringLiteral("timeouts %1 %2").arg(readMs).arg(writeMs));
    if (++settings == faults.failSetTimeouts)
        return false;
    readTimeout = readMs;
    return true;
}

int TMemoryPort::configure()
{
    QMutexLocker l(&lock);
    note(QStringLiteral("configure"));
    return faults.configureResult;
}

qint64 TMemoryPort::read(quint8 *buf, qint64 n)
{
    QMutexLocker l(&lock);
    if (recorded)
        timeouts << readTimeout;
    if (++reads == faults.failRead || !opened) {
        note(QStringLiteral("read %1=-1").arg(n));
        return -1;
    }
    const qint64 k = qMin<qint64>(n, input.size());
    std::copy(input.constBegin(), input.constBegin() + k, buf);
    input.remove(0, k);
    note(QStringLiteral("read %1=%2").arg(n).arg(k));
    return k;
}

qint64 TMemoryPort::write(const quint8 *buf, qint64 n)
{
    Responder r;
    QByteArray block;
    {
        QMutexLocker l(&lock);
        if (!opened || faults.writeFails) {
            note(QStringLiteral("write %1=-1").arg(n));
            return -1;
        }
        const qint64 k = faults.writeLimit >= 0 ? qMin<qint64>(n, faults.writeLimit) : n;
        block = QByteArray(reinterpret_cast<const char *>(buf), int(k));
        if (recorded) {
            output.append(block);
            blocks << block;
        }
        note(QStringLiteral("write %1=%2").arg(n).arg(k));
        r = responder;
    }
    if (r) {
        const QByteArray back = r(block);
        QMutexLocker l(&lock);
        input.append(back);
    }
    return block.size();
}

void TMemoryPort::close()
{
    QMutexLocker l(&lock);
    if (opened)
        note(QStringLiteral("close"));
    opened = false;
    // Bytes still on the way are lost with the line, as on a real port.
    input.clear();
}

bool TMemoryPort::isOpen() const
{
    QMutexLocker l(&lock);
    return opened;
}
