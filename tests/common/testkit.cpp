#include "testkit.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QObject>
#include <QThread>

#include <csignal>
#include <sys/resource.h>

QByteArray newRecord()
{
    return hex("0F040073648F418000001673648F4180000000E3");
}

QByteArray withChecksum(QByteArray cfg)
{
    quint8 sum = 0x5A;
    for (int i = 0; i < 19; ++i)
        sum = quint8(sum - quint8(cfg[i]));
    cfg[19] = char(sum);
    return cfg;
}

QByteArray otherRecord(quint8 seed)
{
    QByteArray cfg = newRecord();
    cfg[1] = char(quint8(cfg[1]) ^ seed);
    cfg[12] = char(quint8(cfg[12]) ^ seed);
    return withChecksum(cfg);
}

QStringList propsOf(const QObject *root, const QList<Prop> &props)
{
    QStringList out;
    for (const Prop &p : props) {
        const QObject *o = root->findChild<QObject *>(p.control);
        out << QString("%1.%2=%3")
                   .arg(p.control, p.property, o ? o->property(p.property).toString() : "missing");
    }
    return out;
}

QStringList propsWanted(const QList<Prop> &props)
{
    QStringList out;
    for (const Prop &p : props)
        out << QString("%1.%2=%3").arg(p.control, p.property, p.value.toString());
    return out;
}

void withFullDisk(qint64 bytes, const std::function<void()> &work)
{
    struct rlimit was;
    const struct rlimit cut = {rlim_t(bytes), RLIM_INFINITY};
    ::getrlimit(RLIMIT_FSIZE, &was);
    std::signal(SIGXFSZ, SIG_IGN);
    ::setrlimit(RLIMIT_FSIZE, &cut);
    work();
    ::setrlimit(RLIMIT_FSIZE, &was);
}

bool waitFor(const std::function<bool()> &pred, int ms)
{
    QDeadlineTimer deadline(ms);
    for (;;) {
        if (pred())
            return true;
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::msleep(2);
    }
}
