#include "simharness.h"

#include <QDeadlineTimer>
#include <QFile>

#include <fcntl.h>
#include <unistd.h>

#include "testkit.h"

SimHarness::SimHarness() : tmp(new QTemporaryDir) {}

SimHarness::~SimHarness()
{
    stop();
}

QString SimHarness::portName() const
{
    return tmp->filePath(QStringLiteral("ttyQ275"));
}

QString SimHarness::statePath() const
{
    return tmp->filePath(QStringLiteral("board.state"));
}

QString SimHarness::controlPath() const
{
    return tmp->filePath(QStringLiteral("control"));
}

bool SimHarness::start(const QStringList &args, bool paced)
{
    stop();
    slave.clear();
    ctlSent = 0;
    logMark = 0;
    const QString bin = qEnvironmentVariable("Q275_SIM");
    if (bin.isEmpty() || !tmp->isValid()) {
        err = QStringLiteral("Q275_SIM is not set, or no temporary folder");
        return false;
    }
    QStringList a = {"--link",        portName(),  "--log",     tmp->filePath("frames.log"),
                     "--state",       statePath(), "--control", controlPath(),
                     "--with-parent", "--latency", "0"};
    if (!paced)
        a << QStringLiteral("--no-pacing");
    proc.reset(new QProcess);
    proc->setWorkingDirectory(tmp->path());
    proc->start(bin, a + args);
    QByteArray out;
    QDeadlineTimer deadline(5000);
    while (proc->waitForStarted(5000) && !out.contains('\n') && !deadline.hasExpired() &&
           proc->waitForReadyRead(int(qMax<qint64>(1, deadline.remainingTime()))))
        out += proc->readAllStandardOutput();
    if (!out.contains('\n')) {
        err = QStringLiteral("the simulator printed no device: ") +
              QString::fromLocal8Bit(proc->readAllStandardError());
        stop();
        return false;
    }
    slave = QString::fromLocal8Bit(out.left(out.indexOf('\n')));
    return true;
}

void SimHarness::stop()
{
    if (!proc)
        return;
    proc->terminate();
    if (!proc->waitForFinished(3000)) {
        proc->kill();
        proc->waitForFinished(3000);
    }
    proc.reset();
}

bool SimHarness::isRunning() const
{
    return proc && proc->state() == QProcess::Running;
}

bool SimHarness::control(const QString &line, int timeoutMs)
{
    if (!isRunning())
        return false;
    // Without blocking: a FIFO nobody reads any more must not hang the test.
    const int fd = ::open(QFile::encodeName(controlPath()), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return false;
    const QByteArray b = line.toUtf8() + '\n';
    const bool written = ::write(fd, b.constData(), size_t(b.size())) == b.size();
    ::close(fd);
    const QString tag = QStringLiteral("ctl %1 ").arg(++ctlSent);
    QString answer;
    const bool seen = written && waitFor(
                                     [&] {
                                         for (const Entry &e : log())
                                             if ((e.text + ' ').startsWith(tag))
                                                 answer = e.text.mid(tag.size());
                                         return !answer.isNull();
                                     },
                                     timeoutMs);
    return seen && !answer.startsWith(QLatin1String("error"));
}

QList<SimHarness::Entry> SimHarness::log() const
{
    QList<Entry> l;
    QFile f(tmp->filePath(QStringLiteral("frames.log")));
    if (!f.open(QIODevice::ReadOnly))
        return l;
    QList<QByteArray> lines = f.readAll().split('\n');
    lines.removeLast(); // a line still being written has no line end yet
    for (const QByteArray &raw : lines) {
        Entry e;
        const int sp = raw.indexOf(' ');
        e.ms = raw.left(sp).toDouble();
        e.text = QString::fromUtf8(raw.mid(sp + 1));
        const QStringList parts = e.text.split(' ', Qt::SkipEmptyParts);
        e.dir = parts.value(0);
        e.kind = parts.value(1);
        if (e.dir == QLatin1String("rx") || e.dir == QLatin1String("tx"))
            e.bytes = QByteArray::fromHex(parts.mid(2).join(QString()).toLatin1());
        l.append(e);
    }
    return l;
}

void SimHarness::markLog()
{
    logMark = int(log().size());
}

QList<QByteArray> SimHarness::received() const
{
    QList<QByteArray> r;
    const QList<Entry> l = log();
    for (int i = logMark; i < l.size(); ++i)
        if (l[i].dir == QLatin1String("rx") && l[i].kind != QLatin1String("junk"))
            r.append(l[i].bytes);
    return r;
}

QList<QByteArray> SimHarness::sent(const QString &kind) const
{
    QList<QByteArray> r;
    const QList<Entry> l = log();
    for (int i = logMark; i < l.size(); ++i)
        if (l[i].dir == QLatin1String("tx") && (kind.isEmpty() || l[i].kind == kind))
            r.append(l[i].bytes);
    return r;
}

QList<quint8> SimHarness::commands() const
{
    QList<quint8> r;
    for (const QByteArray &f : received())
        if (f.size() >= 7)
            r.append(quint8(f[6]));
    return r;
}

QByteArray SimHarness::record(const QString &key) const
{
    QFile f(statePath());
    if (!f.open(QIODevice::ReadOnly))
        return QByteArray();
    const QByteArray prefix = key.toUtf8() + '=';
    for (const QByteArray &line : f.readAll().split('\n'))
        if (line.startsWith(prefix))
            return QByteArray::fromHex(line.mid(prefix.size()).trimmed());
    return QByteArray();
}
