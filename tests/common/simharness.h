#ifndef SIMHARNESS_H
#define SIMHARNESS_H

#include <QByteArray>
#include <QList>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <memory>

// Runs the board simulator q275-sim (named by the environment variable Q275_SIM) in a
// temporary folder of its own, without pacing and with no board latency unless asked:
//
//     SimHarness sim;
//     QVERIFY2(sim.start(), qPrintable(sim.error()));
//     thread.setPort(sim.portName());        // a stable link to the pseudo-terminal
//     QVERIFY(sim.fault("no-ack,cmd=76"));    // faults while it runs
//     QCOMPARE(sim.commands(), (QList<quint8>{0x79, 0x80, 0x76}));
//     QCOMPARE(sim.record("config"), cfg);   // what the board now holds
//
// Options given to start() come after the defaults and win. The destructor stops it.
class SimHarness
{
public:
    // One line of the frame log.
    struct Entry {
        double ms = 0;    // since the simulator started
        QString dir;      // "rx", "tx", "fault", "ctl" or "line"
        QString kind;     // rx: req, bad, junk; tx: echo, ack, nak, stray, noise, ans
        QByteArray bytes; // the frame bytes of rx and tx lines
        QString text;     // the whole line after the time stamp
    };

    SimHarness();
    ~SimHarness();
    SimHarness(const SimHarness &) = delete;
    SimHarness &operator=(const SimHarness &) = delete;

    // False (see error()) when it did not come up within 5 s. A start after stop()
    // keeps the folder, so the board's records carry over.
    bool start(const QStringList &args = {}, bool paced = false);
    void stop();
    bool isRunning() const;
    QString error() const { return err; }

    QString slavePath() const { return slave; } // the device it printed, e.g. /dev/pts/4
    QString portName() const;                   // its --link name
    QString statePath() const;
    QString controlPath() const;

    // Sends a control line ("fault ...", "clear", "trace 02 0A", ...) and waits for the
    // simulator to confirm it; false if it refused it or did not answer.
    bool control(const QString &line, int timeoutMs = 3000);
    bool fault(const QString &what) { return control(QStringLiteral("fault ") + what); }

    QList<Entry> log() const;
    QList<QByteArray> received() const;                // request frames (rx req and rx bad)
    QList<QByteArray> sent(const QString &kind) const; // tx frames of one kind
    QList<quint8> commands() const;                    // command of each request frame
    void markLog();                                    // the views above start after this

    // A record of the board's state file: "config", "ident", "info", "test", "rxctl",
    // "micctl", "trace", "codec" (256 registers). Empty if absent.
    QByteArray record(const QString &key) const;

private:
    std::unique_ptr<QTemporaryDir> tmp;
    std::unique_ptr<QProcess> proc;
    QString slave;
    QString err;
    int ctlSent = 0;
    int logMark = 0;
};

#endif // SIMHARNESS_H
