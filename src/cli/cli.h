#ifndef CLI_H
#define CLI_H

#include <QHash>
#include <QObject>
#include <QStringList>
#include <QTextStream>

#include <functional>
#include <memory>

#include "config/tq275.h"

class CliOptions;
class LineWriter;
class QEventLoop;
class TThread;

// q275-cli: the board's work from a shell, on the terminal's own link.
// Exit status: 0 done, 1 the line failed, 2 the board refused (or sent a corrupt
// configuration, or holds another than the one compared with), 3 a bad file (standard input
// and output included) or bad usage.
class Cli : public QObject
{
    Q_OBJECT

public:
    enum Status { Done = 0, LineFailed = 1, Refused = 2, BadInput = 3 };

    // The arguments as the system gives them, the program's name left out (on Windows the
    // wide command line is read instead: QCoreApplication::arguments()).
    explicit Cli(const QList<QByteArray> &arguments);
    ~Cli() override;

    int run();

private:
    // How a trace went.
    struct TraceState {
        quint32 switchOn = 0; // the switch-on task
        bool switchedOn = false, polled = false, stopping = false, outFailed = false;
        int failed = 0;   // the result of the first task that failed, not cut short by the stop
        QString failLine; // the link's last line in that task: why it failed
    };

    int usage(const QString &problem);
    int command(CliOptions &o);
    // The port from Q275.ini when none was given; a status other than Done when there is none.
    int takePort(CliOptions &o);
    void startLink(const CliOptions &o);
    int waitTask(quint32 id);
    int linkFailure(int result, const QString &what);
    // A configuration file, "-" standard input.
    bool loadFile(const QString &name, TQ275 &cfg, int &status);

    int ports(const CliOptions &o);
    int info(const CliOptions &o);
    int read(const CliOptions &o);
    int write(const CliOptions &o, bool test);
    int verify(const CliOptions &o);
    int trace(const CliOptions &o);
    int endTrace(TraceState &st, LineWriter &writer);
    int show(const CliOptions &o);

    void log(const QString &line);
    enum Direction { Sent, Received };
    void progress(Direction direction, qint64 done, qint64 total);
    void error(const QString &text);
    void clearBar();
    int flushOut();

    QStringList args;
    QString unreadable; // the first argument not in the system's encoding
    QTextStream out;
    QTextStream err;
    std::unique_ptr<TThread> thread;
    QHash<quint32, int> ended; // the tasks ended and not yet waited for, with their results
    QEventLoop *waiting = nullptr;
    bool quiet = false;
    bool barShown = false;
    QString lastLine; // the link's last line: why a task failed
    qint64 sendTotal = 0, recvTotal = 0;
};

#endif // CLI_H
