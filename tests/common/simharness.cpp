#include "simharness.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QThread>

#include <fcntl.h>
#include <unistd.h>

SimHarness::SimHarness() : tmp(new QTemporaryDir) {}

SimHarness::~SimHarness()
{
    stop();
}

QString SimHarness::dir() const
{
    return tmp->path();
}
QString SimHarness::slavePath() const
{
    return slave;
}
QString SimHarness::portName() const
{
    return dir() + QStringLiteral("/ttyQ275");
}
QString SimHarness::logPath() const
{
    return dir() + QStringLiteral("/frames.log");
}
QString SimHarness::statePath() const
{
    return dir() + QStringLiteral("/board.state");
}
QString SimHarness::controlPath() const
{
    return dir() + QStringLiteral("/control");
}

bool SimHarness::start(const QStringList &args, bool paced)
{
    stop();
    err.clear();
    slave.clear();
    ctlSent = 0;
    logMark = 0;
    const QString bin = qEnvironmentVariable("Q275_SIM");
    if (bin.isEmpty()) {
        err = QStringLiteral("Q275_SIM is not set");
        return false;
    }
    if (!tmp->isValid()) {
        err = QStringLiteral("no temporary folder");
        return false;
    }
    QStringList a = {QStringLiteral("--link"),
                     portName(),
                     QStringLiteral("--log"),
                     logPath(),
                     QStringLiteral("--state"),
                     statePath(),
                     QStringLiteral("--control"),
                     controlPath(),
                     QStringLiteral("--with-parent"),
                     QStringLiteral("--latency"),
                     QStringLiteral("0")};
    if (!paced)
        a << QStringLiteral("--no-pacing");
    a << args;
    proc.reset(new QProcess);
    proc->setWorkingDirectory(dir());
    proc->setProcessChannelMode(QProcess::SeparateChannels);
    proc->start(bin, a);
    if (!proc->waitForStarted(5000)) {
        err = QStringLiteral("cannot start ") + bin + QStringLiteral(": ") + proc->errorString();
        proc.reset();
        return false;
    }
    QDeadlineTimer dl(5000);
    QByteArray out;
    while (!out.contains('\n') && !dl.hasExpired()) {
        if (!proc->waitForReadyRead(int(qMax<qint64>(1, dl.remainingTime()))))
            break;
        out += proc->readAllStandardOutput();
    }
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
    if (proc->state() != QProcess::NotRunning) {
        proc->terminate();
        if (!proc->waitForFinished(3000)) {
            proc->kill();
            proc->waitForFinished(3000);
        }
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
    const int fd =
        ::open(QFile::encodeName(controlPath()).constData(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return false;
    const QByteArray b = line.toUtf8() + '\n';
    const bool written = ::write(fd, b.constData(), size_t(b.size())) == b.size();
    ::close(fd);
    if (!written)
        return false;
    const int no = ++ctlSent;
    const QString tag = QStringLiteral("ctl %1 ").arg(no);
    bool ok = false;
    const bool seen = waitFor(
        [&] {
            const QList<Entry> l = log();
            for (const Entry &e : l)
                if (e.dir == QLatin1String("ctl") && (e.text + QLatin1Char(' ')).startsWith(tag)) {
                    ok = !e.text.mid(tag.size()).startsWith(QLatin1String("error"));
                    return true;
                }
            return false;
        },
        timeoutMs);
    return seen && ok;
}

QList<SimHarness::Entry> SimHarness::log() const
{
    QList<Entry> l;
    QFile f(logPath());
    if (!f.open(QIODevice::ReadOnly))
        return l;
    const QList<QByteArray> lines = f.readAll().split('\n');
    for (const QByteArray &raw : lines) {
        // A line still being written has no line end yet and is left for later.
        if (&raw == &lines.last())
            break;
        const int sp = raw.indexOf(' ');
        if (sp < 0)
            continue;
        Entry e;
        e.ms = raw.left(sp).toDouble();
        e.text = QString::fromUtf8(raw.mid(sp + 1));
        const QStringList parts = e.text.split(QLatin1Char(' '), Qt::SkipEmptyParts);
        e.dir = parts.value(0);
        e.kind = parts.value(1);
        if (e.dir == QLatin1String("rx") || e.dir == QLatin1String("tx")) {
            for (int i = 2; i < parts.size(); ++i)
                e.bytes.append(char(parts[i].toUInt(nullptr, 16)));
        }
        l.append(e);
    }
    return l;
}

void SimHarness::markLog()
{
    logMark = log().size();
}

QList<QByteArray> SimHarness::received() const
{
    QList<QByteArray> r;
    const QList<Entry> l = log();
    for (int i = logMark; i < l.size(); ++i)
        if (l[i].dir == QLatin1String("rx") &&
            (l[i].kind == QLatin1String("req") || l[i].kind == QLatin1String("bad")))
            r.append(l[i].bytes);
    return r;
}

QList<QByteArray> SimHarness::sent(const QString &kind) const
{
    QList<QByteArray> r;
    const QList<Entry> l = log();
    for (int i = logMark; i < l.size(); ++i)
        if (l[i].dir == QLatin1String("tx") && l[i].kind == kind)
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

bool SimHarness::waitFor(const std::function<bool()> &pred, int timeoutMs)
{
    QDeadlineTimer dl(timeoutMs);
    for (;;) {
        if (pred())
            return true;
        if (dl.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::msleep(5);
    }
}

QByteArray SimHarness::requestFrame(quint8 cmd, const QByteArray &data)
{
    QByteArray f;
    f.append(char(0xFF)).append(char(0x2F)).append(char(0x00)).append(char(data.size() + 5));
    f.append(char(0x44)).append(char(data.size() + 2)).append(char(cmd)).append(data);
    quint8 s = 0;
    for (int i = 4; i < f.size(); ++i)
        s = quint8(s + quint8(f[i]));
    f.append(char(quint8(0x100 - s)));
    s = 0;
    for (char c : f)
        s = quint8(s + quint8(c));
    f.append(char(quint8(0xFF - s)));
    return f;
}

QByteArray SimHarness::answerFrame(quint8 id, const QByteArray &data)
{
    QByteArray p;
    p.append(char(0x43)).append(char(data.size() + 2)).append(char(id)).append(data);
    quint8 s = 0;
    for (char c : p)
        s = quint8(s + quint8(c));
    p.append(char(quint8(0x100 - s)));
    QByteArray f;
    f.append(char(0xFF)).append(char(0x8F)).append(char(0x00)).append(char(p.size() + 1));
    f.append(p);
    s = 0;
    for (char c : f)
        s = quint8(s + quint8(c));
    f.append(char(quint8(0xFF - s)));
    return f;
}

QByteArray SimHarness::defaultConfig()
{
    return QByteArray::fromHex("0F040073648F418000001673648F4180000000E3");
}
