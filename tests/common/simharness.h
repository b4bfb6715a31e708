#ifndef SIMHARNESS_H
#define SIMHARNESS_H

#include <QByteArray>
#include <QList>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <functional>
#include <memory>

// Runs the board simulator q275-sim (the binary named by the environment variable
// Q275_SIM) for a test, in a temporary folder of its own:
//
//     SimHarness sim;
//     QVERIFY2(sim.start(), qPrintable(sim.error()));
//     thread.setPort(sim.portName());          // a stable link to the pseudo-terminal
//     QVERIFY(sim.fault("no-ack count=2"));     // faults while it runs
//     ... run the terminal's task ...
//     QCOMPARE(sim.commands(), (QList<quint8>{0x79, 0x80, 0x76}));
//     QCOMPARE(sim.record("config"), expected); // what the board now holds
//
// By default the simulator runs without pacing and without board latency, so tests are
// fast; start(args, true) keeps the 9600-baud pacing. Options given in args come after
// the defaults and win ("--latency 50", "--no-identity", "--fault no-echo", ...).
// The destructor stops the simulator. The simulator also ends when the thread that
// started it ends, so start it from the test's main thread.
class SimHarness
{
public:
    // One line of the simulator's frame log.
    struct Entry {
        double ms = 0;    // milliseconds since the simulator started
        QString dir;      // "rx", "tx", "fault", "ctl" or "line"
        QString kind;     // rx: req, bad, junk; tx: echo, ack, nak, stray, noise, ans
        QByteArray bytes; // the frame bytes of rx/tx lines
        QString text;     // the whole line after the time stamp
    };

    SimHarness();
    ~SimHarness();
    SimHarness(const SimHarness &) = delete;
    SimHarness &operator=(const SimHarness &) = delete;

    // Starts the simulator; false (see error()) when it did not come up within 5 s.
    // A second start after stop() keeps the folder, so the board state carries over.
    bool start(const QStringList &args = {}, bool paced = false);
    // Stops it (SIGTERM, then kill after 3 s); the folder and its files stay.
    void stop();
    bool isRunning() const;
    QString error() const { return err; }

    QString dir() const;         // the temporary folder
    QString slavePath() const;   // the first line the simulator printed, e.g. /dev/pts/4
    QString portName() const;    // the --link name; survives the "close" fault
    QString logPath() const;     // --log file
    QString statePath() const;   // --state file
    QString controlPath() const; // --control FIFO

    // Sends one control line ("fault ...", "clear", "trace 02 0A FF", "latency 30", ...)
    // and waits until the simulator has confirmed it. False if it refused it or
    // did not answer within the time.
    bool control(const QString &line, int timeoutMs = 3000);
    bool fault(const QString &what) { return control(QStringLiteral("fault ") + what); }

    // The frame log, parsed, and views of it.
    QList<Entry> log() const;
    QList<QByteArray> received() const;                // request frames (rx req and rx bad)
    QList<QByteArray> sent(const QString &kind) const; // tx lines of one kind, e.g. "ans"
    QList<quint8> commands() const;                    // command byte of each request frame
    // Forgets the log so far: the views above then start after this point.
    void markLog();

    // A record of the board as stored in the state file: "config", "ident", "info",
    // "test", "rxctl", "micctl", "trace", "codec" (256 registers). Empty if absent.
    QByteArray record(const QString &key) const;

    // Waits (handling events) until pred() is true; false on time-out.
    static bool waitFor(const std::function<bool()> &pred, int timeoutMs);

    // Frames as they travel: a request with its packet and frame checksums, and an
    // answer frame with its answer packet.
    static QByteArray requestFrame(quint8 cmd, const QByteArray &data = QByteArray());
    static QByteArray answerFrame(quint8 id, const QByteArray &data = QByteArray());
    // The new-record configuration the simulator starts with.
    static QByteArray defaultConfig();

private:
    std::unique_ptr<QTemporaryDir> tmp;
    std::unique_ptr<QProcess> proc;
    QString slave;
    QString err;
    int ctlSent = 0;
    int logMark = 0;
};

#endif // SIMHARNESS_H
