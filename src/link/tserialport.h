#ifndef TSERIALPORT_H
#define TSERIALPORT_H

#include <QDeadlineTimer>
#include <QSerialPort>
#include <QStringList>

#include "link/tlinkport.h"

// The real serial port, driven through the blocking calls of QSerialPort.
// Create, use and destroy it on the worker thread only: the object has no
// event loop behind it and must never be touched from the GUI thread.
class TSerialPort : public TLinkPort
{
public:
    TSerialPort();
    ~TSerialPort() override;

    // A name that contains a '/' is a device path and is opened under its
    // canonical name, so that a second name for the same device (a symbolic
    // link) is still caught by the exclusive lock. A bare name ("ttyUSB0",
    // "COM3") is left to QSerialPort.
    static QString devicePath(const QString &name);
    // "com12", "\\.\COM12" and "COM12" name the same Windows port: each becomes "COM12", the
    // name the system lists. Every other name stays as it is.
    static QString normalizedName(const QString &name);

    // Time of one byte on the line (10 bits at 9600 baud).
    enum { ByteMicros = 1042 };

    enum { MaxListed = 100 };
    // The names worth trying: the ports the system reports plus the current
    // name, without repeats, in the order the user counts them ("ttyS2" before "ttyS10").
    static QStringList candidates(const QString &current);
    // True when the port can be opened for reading and writing right now,
    // i.e. no other program holds it. The port is closed again at once.
    static bool canOpen(const QString &name);
    // The ports that can be opened right now, at most limit of them, the current
    // one included when it can.
    static QStringList openablePorts(const QString &current, int limit = MaxListed);

    // What the system knows of a port, so that two adapters can be told apart: empty where
    // it knows nothing. byId is the stable name under /dev/serial/by-id (Linux).
    struct Details {
        QString name, description, manufacturer, serialNumber, byId;
    };
    static Details details(const QString &name);

    bool open(const QString &name) override;
    OpenError openError(QString *text) const override;
    bool setTimeouts(quint32 readMs, quint32 writeMs) override;
    int configure() override;
    qint64 read(quint8 *buf, qint64 n) override;
    void expect(qint64 bytes) override;
    qint64 write(const quint8 *buf, qint64 n) override;
    void close() override;
    bool isOpen() const override;

private:
    // True for the time-out that every expired wait leaves behind (which is
    // cleared); false for any other error, which means the line is gone.
    bool onlyTimedOut();
    // Reads up to n bytes within the read time-out: the count, or -1 when the line is gone.
    qint64 take(quint8 *buf, qint64 n);
    // Takes in what the line has brought, waiting up to waitMs for the first byte. False
    // when the line is gone.
    bool pull(int waitMs);
    // Up to n bytes of what has come in already; never waits.
    qint64 fromBuffers(quint8 *buf, qint64 n);
    // Takes in what the device has now, without waiting. False when the line is gone.
    bool takeNow();
    static qint64 remainingMicros(const QDeadlineTimer &deadline);

    // Tells why the device at path did not open.
    void explainOpenFailure(const QString &path);

    QSerialPort port;
    OpenError lastError = NoError;
    QString lastErrorText;
    quint32 readTimeout = 250;
    quint32 writeTimeout = 2500;
    qint64 expected = 0; // bytes the link awaits that no read has taken yet
    // Bytes taken from the device that no read has taken yet: ahead[aheadBegin, aheadEnd).
    quint8 ahead[256] = {};
    int aheadBegin = 0, aheadEnd = 0;
};

#endif // TSERIALPORT_H
