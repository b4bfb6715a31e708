#ifndef TTHREAD_H
#define TTHREAD_H

#include <QMutex>
#include <QString>
#include <QThread>

#include "tq275.h"

// The link worker: owns the serial port and runs the board tasks one at a time,
// in posting order. Windows post tasks and listen to the signals; they never wait.
class TThread : public QThread
{
    Q_OBJECT

public:
    enum { IdentSize = 18, InfoSize = 22 };

    TThread();
    ~TThread() override;

    // GUI side (each takes the mutex).
    void setPort(const QString &name);
    void setMode(int mode);
    void requestStop();
    void getIdent(quint8 *ident); // copies the 18-byte identity record
    void getInfo(quint8 *info);   // copies the 22-byte board data record

    // The nine task types; callable from any thread, the worker included.
    void postRead();
    void postTest(const quint8 *data, quint32 len);
    void postSave(const quint8 *data, quint32 len);
    void postTrace(int mask);
    void postTracePoll();
    void postInfo(const quint8 *data, quint32 len);
    void postCodec(const quint8 *pairs, int count);
    void postRxCtl(const quint8 *flags);
    void postMicCtl(const quint8 *flags);

signals:
    void readErr();
    void readCfg(TQ275 *cfg);
    void recvMax(qint32 len);
    void recvCnt(qint32 cnt);
    void testStp();
    void testErr();
    void saveStp();
    void saveErr();
    void sendMax(quint32 len);
    void sendCnt(quint32 cnt);
    void traceRdy(quint8 *rec);
    void traceErr();
    void mes(QString text);

protected:
    void run() override;

private:
    QMutex mutex;
    bool stopFlag = false;
    QString portName;
    int mode = 0;
};

#endif // TTHREAD_H
