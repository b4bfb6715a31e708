#ifndef TMEMORYPORT_H
#define TMEMORYPORT_H

#include <QByteArray>
#include <QList>
#include <QMutex>
#include <QStringList>

#include <functional>

#include "link/eventlog.h"
#include "link/tlinkport.h"

// A serial line in memory, for running the link without a device. What the
// link writes goes to a responder (the RIB and the board as a script), and what
// the responder returns becomes readable. A read never waits: when nothing is
// there it returns 0 at once, as a read whose time-out has passed. Every call is
// recorded (unless it is made unrecorded, as the demo board is, which runs for hours).
// Thread-safe: the worker drives it while a test looks at it.
class TMemoryPort : public TLinkPort
{
public:
    // Gets every block written, returns the bytes that come back. Called
    // without the port's lock held, so it may block or post tasks.
    using Responder = std::function<QByteArray(const QByteArray &written)>;
    // Gets a request frame's command and data, returns what follows the echo
    // and the acknowledgement (normally answerFrame(...)).
    using Board = std::function<QByteArray(quint8 cmd, const QByteArray &data)>;

    TMemoryPort();

    // What the line does wrong; by default nothing. The counts start at setFaults().
    struct Faults {
        bool openFails = false;       // open() fails,
        OpenError openWhy = NotFound; // for this reason,
        QString openText{};           // in the system's words
        int failSetTimeouts = 0;      // the n-th setTimeouts() returns false (0: none)
        int configureResult = 0;      // configure() returns it (0, -5, -6)
        bool writeFails = false;      // write() returns -1
        int writeLimit = -1;          // write() takes at most so many bytes (-1: all)
        int failRead = 0;             // the n-th read() returns -1 (0: none)
    };

    // --- the script
    void setResponder(Responder responder);
    void feed(const QByteArray &bytes); // appends bytes to what can be read
    void setFaults(const Faults &faults);
    void setOpenFails(bool fails, OpenError why = NotFound, const QString &text = QString());

    // --- what happened
    QByteArray written() const;          // every byte written, in order
    QList<QByteArray> writes() const;    // one entry per write() call
    QStringList events() const;          // "open NAME", "timeouts R W", "configure",
                                         // "read N=K", "write N=K", "close"
    QList<quint32> readTimeouts() const; // the read time-out of every read() call
    int openCount() const;
    void clearRecord();

    // --- frames
    // The RIB's answer frame around a board answer packet with identifier id.
    static QByteArray answerFrame(quint8 id, const QByteArray &data);
    // The request frame of command cmd with its data.
    static QByteArray requestFrame(quint8 cmd, const QByteArray &data);
    // A responder that behaves as a good RIB: it echoes each write, then
    // acknowledges with 0x50 and adds what board() returns for the request
    // frame it recognises (nothing for bytes that are not a frame).
    static Responder rib(Board board);

    // --- TLinkPort
    bool open(const QString &name) override;
    OpenError openError(QString *text) const override;
    bool setTimeouts(quint32 readMs, quint32 writeMs) override;
    int configure() override;
    qint64 read(quint8 *buf, qint64 n) override;
    qint64 write(const quint8 *buf, qint64 n) override;
    void close() override;
    bool isOpen() const override;

protected:
    explicit TMemoryPort(bool record);

private:
    void note(const QString &event); // with the lock held

    mutable QMutex lock;
    const bool recorded = true;
    Responder responder;
    QByteArray input;
    QByteArray output;
    QList<QByteArray> blocks;
    EventLog log;
    QList<quint32> timeouts;
    bool opened = false;
    Faults faults;
    int reads = 0;    // read() calls since setFaults()
    int settings = 0; // setTimeouts() calls since setFaults()
    quint32 readTimeout = 0;
    int opens = 0;
};

#endif // TMEMORYPORT_H
