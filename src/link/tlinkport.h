#ifndef TLINKPORT_H
#define TLINKPORT_H

#include <QString>
#include <QtGlobal>

// The byte device under the link: the serial port in the program, a scripted
// line in the tests. Every call is made by the worker thread only.
class TLinkPort
{
public:
    // Why the last open() failed.
    enum OpenError { NoError, NotFound, Busy, NoAccess, NotSerial, OtherError };

    virtual ~TLinkPort();

    // Opens the named port for exclusive use. False when it is absent or in use
    // (the port then stays closed); openError() then tells why.
    virtual bool open(const QString &name) = 0;
    // The reason of the last failed open(); for OtherError, text is the system's own words.
    virtual OpenError openError(QString *text) const = 0;
    // Total time-out of one read and of one write, in milliseconds.
    virtual bool setTimeouts(quint32 readMs, quint32 writeMs) = 0;
    // 9600 baud, 8 data bits, no parity, one stop bit; every other line
    // setting stays as the driver has it. 0, or -5 when the line settings cannot
    // be read, -6 when they cannot be applied.
    virtual int configure() = 0;
    // Reads up to n bytes; returns when n bytes are there or when the read
    // time-out has passed. The count received (0 after a time-out), or -1 when
    // the line failed.
    virtual qint64 read(quint8 *buf, qint64 n) = 0;
    // How many bytes the link expects next on a healthy line, across its reads: a port may
    // sleep while they come in rather than wake for each (saving wake-ups at the cost of a
    // little latency). A hint only: what the reads return does not change. The default
    // ignores it.
    virtual void expect(qint64 bytes);
    // Writes n bytes within the write time-out. The count written, or -1.
    virtual qint64 write(const quint8 *buf, qint64 n) = 0;
    virtual void close() = 0;
    virtual bool isOpen() const = 0;
};

#endif // TLINKPORT_H
