#include "linkrecorder.h"

#include "link/tlink.h"
#include "link/tthread.h"
#include "testkit.h"

// The log lines and the progress counts, which the thread and the link both emit.
template <class Source> void LinkRecorder::recordCommon(Source *source, Qt::ConnectionType type)
{
    const auto count = [this](const char *name) {
        return [this, name](qint64 n) { add(QStringLiteral("%1 %2").arg(name).arg(n)); };
    };
    connect(
        source, &Source::mes, this, [this](const QString &s) { add("mes " + s); }, type);
    connect(source, &Source::sendMax, this, count("sendMax"), type);
    connect(source, &Source::sendCnt, this, count("sendCnt"), type);
    connect(source, &Source::recvMax, this, count("recvMax"), type);
    connect(source, &Source::recvCnt, this, count("recvCnt"), type);
}

LinkRecorder::LinkRecorder(TThread *t, Qt::ConnectionType type)
{
    auto on = [this, t, type](auto signal, auto slot) { connect(t, signal, this, slot, type); };
    on(&TThread::readErr, [this] { add("readErr"); });
    on(&TThread::readCfg, [this](TQ275 *c) { add("readCfg " + bytes(c, 20).toHex()); });
    on(&TThread::testStp, [this] { add("testStp"); });
    on(&TThread::testErr, [this] { add("testErr"); });
    on(&TThread::saveStp, [this] { add("saveStp"); });
    on(&TThread::saveErr, [this] { add("saveErr"); });
    on(&TThread::traceRdy, [this](quint8 *r) { add("traceRdy " + bytes(r, r[0] + 1).toHex()); });
    on(&TThread::traceErr, [this] { add("traceErr"); });
    recordCommon(t, type);
}

LinkRecorder::LinkRecorder(TLink *link)
{
    recordCommon(link, Qt::AutoConnection);
}

void LinkRecorder::add(const QString &event)
{
    log.add(event);
}

void LinkRecorder::clear()
{
    log.clear();
}

QStringList LinkRecorder::events() const
{
    return log.lines();
}

QStringList LinkRecorder::outcome() const
{
    QStringList out;
    for (const QString &e : events())
        if (!e.startsWith(QLatin1String("send")) && !e.startsWith(QLatin1String("recv")))
            out << e;
    return out;
}

QStringList LinkRecorder::lines() const
{
    QStringList out;
    for (const QString &e : events())
        if (e.startsWith(QLatin1String("mes ")))
            out << e.mid(4);
    return out;
}

std::function<void(int)> LinkRecorder::pauses(std::function<void(int)> then)
{
    return [this, then](int ms) {
        add(QStringLiteral("sleep %1").arg(ms));
        if (then)
            then(ms);
    };
}

QByteArray boardRecords(TThread &thread)
{
    QByteArray r(BoardIdentity::IdentSize + BoardIdentity::InfoSize, 0);
    thread.getIdent(reinterpret_cast<quint8 *>(r.data()));
    thread.getInfo(reinterpret_cast<quint8 *>(r.data()) + BoardIdentity::IdentSize);
    return r;
}
