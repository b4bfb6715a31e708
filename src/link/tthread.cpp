#include "tthread.h"

// Minimal worker until the link layer lands: it stores its settings and runs no task.

TThread::TThread() : QThread(nullptr) {}

TThread::~TThread()
{
    requestStop();
    wait();
}

void TThread::setPort(const QString &name)
{
    QMutexLocker lock(&mutex);
    portName = name;
}

void TThread::setMode(int m)
{
    QMutexLocker lock(&mutex);
    mode = m;
}

void TThread::requestStop()
{
    QMutexLocker lock(&mutex);
    stopFlag = true;
}

void TThread::getIdent(quint8 *ident)
{
    std::fill(ident, ident + IdentSize, quint8(0));
}

void TThread::getInfo(quint8 *info)
{
    std::fill(info, info + InfoSize, quint8(0));
}

void TThread::postRead() {}
void TThread::postTest(const quint8 *, quint32) {}
void TThread::postSave(const quint8 *, quint32) {}
void TThread::postTrace(int) {}
void TThread::postTracePoll() {}
void TThread::postInfo(const quint8 *, quint32) {}
void TThread::postCodec(const quint8 *, int) {}
void TThread::postRxCtl(const quint8 *) {}
void TThread::postMicCtl(const quint8 *) {}

void TThread::run() {}
