#include "linkrecorder.h"

#include "link/tlink.h"
#include "link/tthread.h"
#include "testkit.h"

LinkRecorder::LinkRecorder(TThread *t, Qt::ConnectionType type)
{
    auto on = [this, t, type](auto signal, auto slot) { connect(t, signal, this, slot, type); };
    on(&TThread::readErr, [this] { add("readErr"); });
    on(&TThread::readCfg, [this](TQ275 *c) { add("readCfg " + bytes(c, 20).toHex()); });
    on(&TThread::recvMax, [this](qint32 n) { add(QStringLiteral("recvMax %1").arg(n)); });
    on(&TThread::recvCnt, [this](qint32 n) { add(QStringLiteral("recvCnt %1").arg(n)); });
    on(&TThread::testStp, [this] { add("testStp"); });
    on(&TThread::testErr, [this] { add("testErr"); });
    on(&TThread::saveStp, [this] { add("saveStp"); });
    on(&TThread::saveErr, [this] { add("saveErr"); });
    on(&TThread::sendMax, [this](quint32 n) { add(QStringLiteral("sendMax %1").arg(n)); });
    on(&TThread::sendCnt, [this](quint32 n) { add(QStringLiteral("sendCnt %1").arg(n)); });
    on(&TThread::traceRdy, [this](quint8 *r) { add("traceRdy " + bytes(r, r[0] + 1).toHex()); });
    on(&TThread::traceErr, [this] { add("traceErr"); });
    on(&TThread::mes, [this](const QString &s) { add("mes " + s); });
}

LinkRecorder::LinkRecorder(TLink *link)
{
    connect(link, &TLink::mes, this, [this](const QString &s) { add("mes " + s); });
    connect(link, &TLink::sendMax, this,
            [this](quint32 n) { add(QStringLiteral("sendMax %1").arg(n)); });
    connect(link, &TLink::sendCnt, this,
            [this](quint32 n) { add(QStringLiteral("sendCnt %1").arg(n)); });
    connect(link, &TLink::recvMax, this,
            [this](qint32 n) { add(QStringLiteral("recvMax %1").arg(n)); });
    connect(link, &TLink::recvCnt, this,
            [this](qint32 n) { add(QStringLiteral("recvCnt %1").arg(n)); });
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
