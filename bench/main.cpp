// q275-bench: how much the terminal adds to what the serial line itself needs, and
// what it costs the machine. Prints one table; see bench/README.md.
//
//   q275-bench [--runs N] [--idle SECONDS] [--sim PATH]
//
// Against the board simulator paced at 9600 baud with no board latency, so that
// the time the bytes need on the line is the whole of the work the board side does:
// - a whole configuration read, a configuration write and codec commands through the
//   real link thread and serial port, next to the time of the bytes the simulator sent
//   back (echo, acknowledgement, answer) at 10 bits a byte; the request itself goes out
//   while its echo comes back, so it adds no line time of its own;
// - the CPU time of the terminal (main window shown) over an idle stretch with the link
//   thread idle, and again with the trace monitor running;
// - the time from starting a terminal process to its first painted main window;
// - the peak resident memory of that process and of this whole run.

#include <atomic>

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <functional>

#include "app/q275.h"
#include "config/tq275.h"
#include "link/tthread.h"
#include "ops/trace.h"
#include "simharness.h"
#include "testkit.h"

namespace
{
const double kByteMs = 10.0 * 1000.0 / 9600.0; // start bit, 8 data bits, stop bit

double monotonicMs()
{
    timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

double processCpuMs()
{
    timespec t;
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

// VmHWM of /proc/self/status, in megabytes.
double peakMemoryMb()
{
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : f.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toDouble() / 1024.0;
    }
    return -1;
}

double median(QList<double> v)
{
    if (v.isEmpty())
        return 0;
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// Runs the event loop until pred() holds or ms have passed.
bool waitUntil(const std::function<bool()> &pred, int ms)
{
    QElapsedTimer t;
    t.start();
    while (!pred()) {
        if (t.elapsed() > ms)
            return false;
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
    }
    return true;
}

void runEventLoopFor(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

struct Row {
    QString what;
    QString measured;
    QString line;
    QString figure;
    QString target;
    bool ok;
};

QList<Row> rows;

void addRow(const QString &what, const QString &measured, const QString &line,
            const QString &figure, const QString &target, bool ok)
{
    rows.append({what, measured, line, figure, target, ok});
}

QString ms(double v)
{
    return QString::number(v, 'f', 1) + QStringLiteral(" ms");
}

// ------------------------------------------------------------ link operations

struct LinkBench {
    SimHarness &sim;
    TThread thread;
    bool done = false;
    bool failed = false;

    explicit LinkBench(SimHarness &s) : sim(s)
    {
        thread.setPort(sim.portName());
        thread.setMode(1);
        QObject::connect(&thread, &TThread::readCfg, &thread, [this](TQ275 *) { done = true; });
        QObject::connect(&thread, &TThread::readErr, &thread, [this] { failed = done = true; });
        QObject::connect(&thread, &TThread::saveStp, &thread, [this] { done = true; });
        QObject::connect(&thread, &TThread::saveErr, &thread, [this] { failed = done = true; });
        QObject::connect(&thread, &TThread::mes, &thread, [this](const QString &s) {
            if (s == QStringLiteral("Передача команд кодека выполнена успешно"))
                done = true;
            else if (s == QStringLiteral("Ошибка в передаче команд кодека"))
                failed = done = true;
        });
    }

    // Runs the operation `runs` times; the median of the time from posting it to
    // its result in the GUI thread, and of the line time of what the board side sent.
    bool measure(const std::function<void()> &post, int runs, double &took, double &line)
    {
        QList<double> t, l;
        for (int i = 0; i < runs; ++i) {
            waitUntil([&] { return thread.isFinished() || !thread.isRunning(); }, 5000);
            sim.markLog();
            done = failed = false;
            const double t0 = monotonicMs();
            post();
            if (!waitUntil([&] { return done; }, 20000) || failed)
                return false;
            t << monotonicMs() - t0;
            int bytes = 0;
            for (const QString &kind :
                 {QStringLiteral("echo"), QStringLiteral("ack"), QStringLiteral("nak"),
                  QStringLiteral("stray"), QStringLiteral("noise"), QStringLiteral("ans")}) {
                for (const QByteArray &b : sim.sent(kind))
                    bytes += int(b.size());
            }
            l << bytes * kByteMs;
        }
        took = median(t);
        line = median(l);
        return true;
    }
};

void benchLink(int runs)
{
    SimHarness sim;
    // Paced at 9600 baud; the board answers at once, so the line is all there is.
    if (!sim.start({QStringLiteral("--latency"), QStringLiteral("0")}, true)) {
        std::fprintf(stderr, "q275-bench: simulator: %s\n", qPrintable(sim.error()));
        addRow(QStringLiteral("link operations"), QStringLiteral("no simulator"), QString(),
               QString(), QString(), false);
        return;
    }
    LinkBench b(sim);
    const QByteArray cfg = newRecord();
    QByteArray pairs11;
    for (int i = 0; i < 11; ++i)
        pairs11.append(char(i + 1)).append(char(0x40 + i));
    const QByteArray pairs1 = QByteArray::fromHex("1678");

    struct Op {
        QString what;
        std::function<void()> post;
        bool key;
    };
    const QList<Op> ops = {
        {QStringLiteral("configuration read (0x79, 0x80, 0x76)"), [&] { b.thread.postRead(); },
         true},
        {QStringLiteral("configuration write (0x75)"),
         [&] { b.thread.postSave(reinterpret_cast<const quint8 *>(cfg.constData()), 20); }, false},
        {QStringLiteral("codec command, 1 pair (0x82)"),
         [&] { b.thread.postCodec(reinterpret_cast<const quint8 *>(pairs1.constData()), 1); },
         false},
        {QStringLiteral("codec command, 11 pairs (0x82)"),
         [&] { b.thread.postCodec(reinterpret_cast<const quint8 *>(pairs11.constData()), 11); },
         false},
    };
    for (const Op &op : ops) {
        double took = 0, line = 0;
        if (!b.measure(op.post, runs, took, line)) {
            addRow(op.what, QStringLiteral("failed"), QString(), QString(), QString(), false);
            continue;
        }
        const double ratio = took / line;
        addRow(op.what, ms(took), ms(line), QString::number(ratio, 'f', 2),
               op.key ? QStringLiteral("<= 1.15") : QString(), !op.key || ratio <= 1.15);
    }
}

// The command-line tool's read, end to end: the process started, the board read through the
// same link, the file written, the process ended; next to what the line needs.
void benchCli(int runs)
{
    SimHarness sim;
    QTemporaryDir out;
    if (!sim.start({QStringLiteral("--latency"), QStringLiteral("0")}, true)) {
        addRow(QStringLiteral("q275-cli read"), QStringLiteral("no simulator"), QString(),
               QString(), QString(), false);
        return;
    }
    QList<double> t, l;
    for (int i = 0; i < runs; ++i) {
        sim.markLog();
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_DATA_HOME"), out.path()); // its history goes here
        p.setProcessEnvironment(env);
        const double t0 = monotonicMs();
        p.start(qEnvironmentVariable("Q275_CLI"),
                {QStringLiteral("read"), QStringLiteral("-q"), QStringLiteral("-p"), sim.portName(),
                 QStringLiteral("-o"), out.filePath(QStringLiteral("a.obd"))});
        if (!p.waitForFinished(20000) || p.exitCode() != 0) {
            addRow(QStringLiteral("q275-cli read"), QStringLiteral("failed"), QString(), QString(),
                   QString(), false);
            return;
        }
        t << monotonicMs() - t0;
        int bytes = 0;
        for (const QByteArray &b : sim.sent(QString()))
            bytes += int(b.size());
        l << bytes * kByteMs;
    }
    addRow(QStringLiteral("q275-cli read, process start to end"), ms(median(t)), ms(median(l)),
           QString::number(median(t) / median(l), 'f', 2), QString(), true);
}

// --------------------------------------------------------------- idle CPU time

// CPU time of the whole process over `ms` of running the event loop, as a share of one core.
double threadCpuMs()
{
    timespec t;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

// CPU time of the whole process over `ms` of running the event loop, as a share of
// one core; gui is the part of the GUI thread (the rest is mostly the link thread).
double cpuShare(int ms, double &cpu, double &gui)
{
    const double c0 = processCpuMs();
    const double g0 = threadCpuMs();
    const double t0 = monotonicMs();
    runEventLoopFor(ms);
    cpu = processCpuMs() - c0;
    gui = threadCpuMs() - g0;
    return 100.0 * cpu / (monotonicMs() - t0);
}

QString cpuText(double cpu, double gui)
{
    return QStringLiteral("%1 (GUI %2)").arg(ms(cpu), ms(gui));
}

void benchIdle(int seconds)
{
    // Two boards: one that streams faster than the line can carry, so that every
    // poll brings a record, and one at the simulator's usual 4 records a second.
    SimHarness fast, usual;
    if (!fast.start({QStringLiteral("--trace-rate"), QStringLiteral("1000")}, true) ||
        !usual.start({}, true)) {
        addRow(QStringLiteral("idle CPU"), QStringLiteral("no simulator"), QString(), QString(),
               QString(), false);
        return;
    }
    QTemporaryDir home;
    const QString oldDir = QDir::currentPath();
    QDir::setCurrent(home.path());
    {
        QFile ini(QStringLiteral("Q275.ini"));
        if (ini.open(QIODevice::WriteOnly))
            ini.write(usual.portName().toUtf8() + "\n");
    }
    auto *w = new Q275;
    w->show();
    runEventLoopFor(500); // let it settle after start-up

    const int window = seconds * 1000;
    double cpu = 0, gui = 0;
    double share = cpuShare(window, cpu, gui);
    addRow(QStringLiteral("CPU over %1 s, link thread idle").arg(seconds), cpuText(cpu, gui),
           QString(), QString::number(share, 'f', 2) + QStringLiteral(" %"),
           QStringLiteral("< 1 %"), share < 1.0);

    // The trace monitor on all four streams.
    w->openWin(QStringLiteral("Трассировка"));
    Trace *trace = w->findChild<Trace *>();
    QPushButton *run = trace ? trace->findChild<QPushButton *>(QStringLiteral("bRun")) : nullptr;
    if (!run) {
        addRow(QStringLiteral("CPU, tracing"), QStringLiteral("no trace window"), QString(),
               QString(), QString(), false);
        w->close();
        QDir::setCurrent(oldDir);
        return;
    }
    // Counted on the link thread as each record is sent: a queued connection of its own would
    // wake the GUI thread a second time for each record and add to what is measured.
    std::atomic<int> records{0};
    QObject::connect(
        w->linkThread(), &TThread::traceRdy, trace, [&records] { ++records; },
        Qt::DirectConnection);
    for (const char *name : {"chkRad", "chkI2C", "chkRxP", "chkTxP"}) {
        if (auto *c = trace->findChild<QCheckBox *>(QLatin1String(name)))
            c->setChecked(true);
    }

    // Continuous stream first: switching it off is answered at once.
    w->linkThread()->setPort(fast.portName());
    run->click();
    waitUntil([&] { return records > 0; }, 3000);
    records = 0;
    share = cpuShare(window, cpu, gui);
    // Work rather than idleness: a figure to watch, with no target of its own.
    addRow(QStringLiteral("CPU over %1 s, tracing, %2 records/s shown")
               .arg(seconds)
               .arg(records.load() / double(seconds), 0, 'f', 1),
           cpuText(cpu, gui), QString(), QString::number(share, 'f', 2) + QStringLiteral(" %"),
           QString(), records > 0);

    // The same once the log holds as many lines as it keeps, as after two minutes of such a
    // stream: the log is filled with records of the same kind first.
    quint8 filler[] = {7, 1, 0x0A, 0xFF, 0x10, 0x20, 0x30, 0x40};
    for (int i = 0; i < Trace::MaxLines; ++i)
        trace->Data(filler);
    runEventLoopFor(2 * Trace::ShowEveryMs);
    records = 0;
    share = cpuShare(window, cpu, gui);
    addRow(QStringLiteral("CPU over %1 s, tracing, %2 records/s, log full")
               .arg(seconds)
               .arg(records.load() / double(seconds), 0, 'f', 1),
           cpuText(cpu, gui), QString(), QString::number(share, 'f', 2) + QStringLiteral(" %"),
           QString(), records > 0);
    run->click();
    waitUntil([&] { return fast.record(QStringLiteral("trace")) == QByteArray(1, '\0'); }, 5000);
    waitUntil([&] { return w->linkThread()->isFinished(); }, 5000);

    // The usual board: a record, then mostly the pause after an empty poll.
    w->linkThread()->setPort(usual.portName());
    records = 0;
    run->click();
    waitUntil([&] { return records > 0; }, 3000);
    records = 0;
    share = cpuShare(window, cpu, gui);
    addRow(QStringLiteral("CPU over %1 s, tracing, board at 4/s (%2 shown)")
               .arg(seconds)
               .arg(records.load()),
           cpuText(cpu, gui), QString(), QString::number(share, 'f', 2) + QStringLiteral(" %"),
           QStringLiteral("< 1 %"), share < 1.0);
    w->close(); // ends the pause of the link thread at once
    QCoreApplication::processEvents();
    QDir::setCurrent(oldDir);
}

// -------------------------------------------------------------------- start-up

// The child: a terminal as main() builds it, which reports when its main window
// has been painted for the first time.
class FirstPaint : public QObject
{
public:
    QWidget *window = nullptr;
    bool seen = false;

protected:
    bool eventFilter(QObject *o, QEvent *e) override
    {
        if (!seen && e->type() == QEvent::Paint && o->isWidgetType() &&
            static_cast<QWidget *>(o)->window() == window) {
            seen = true;
            // Reported when the event loop is back, after the whole paint.
            QTimer::singleShot(0, [] {
                std::printf("painted %.3f %.1f\n", monotonicMs(), peakMemoryMb());
                std::fflush(stdout);
                QCoreApplication::exit(0);
            });
        }
        return false;
    }
};

int startupChild(int argc, char **argv)
{
    QApplication app(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("Veltrona"));
    QCoreApplication::setApplicationName(QStringLiteral("Terminal Q-275"));
    FirstPaint fp;
    app.installEventFilter(&fp);
    auto *window = new Q275;
    fp.window = window;
    window->show();
    QTimer::singleShot(10000, [] { QCoreApplication::exit(1); });
    const int r = app.exec();
    delete window;
    return r;
}

void benchStartup(int runs)
{
    QTemporaryDir home;
    QList<double> times, mems;
    for (int i = 0; i < runs; ++i) {
        QProcess p;
        p.setWorkingDirectory(home.path()); // no Q275.ini: a first start
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), home.path());
        if (!env.contains(QStringLiteral("QT_QPA_PLATFORM")) &&
            !env.contains(QStringLiteral("DISPLAY")))
            env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        p.setProcessEnvironment(env);
        const double t0 = monotonicMs();
        p.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--startup-child")});
        if (!p.waitForFinished(15000) || p.exitCode() != 0) {
            p.kill();
            p.waitForFinished();
            continue;
        }
        const QList<QByteArray> f = p.readAllStandardOutput().trimmed().split(' ');
        if (f.size() == 3 && f[0] == "painted") {
            times << f[1].toDouble() - t0;
            mems << f[2].toDouble();
        }
    }
    if (times.isEmpty()) {
        addRow(QStringLiteral("start-up to first painted main window"), QStringLiteral("failed"),
               QString(), QString(), QString(), false);
        return;
    }
    const double t = median(times);
    addRow(QStringLiteral("start-up to first painted main window"), ms(t), QString(),
           QString::number(t / 1000.0, 'f', 3) + QStringLiteral(" s"), QStringLiteral("< 1 s"),
           t < 1000.0);
    const double m = median(mems);
    addRow(QStringLiteral("peak memory, start-up process"), QString(), QString(),
           QString::number(m, 'f', 1) + QStringLiteral(" MB"), QStringLiteral("< 80 MB"), m < 80.0);
}

void printTable()
{
    std::printf("%-44s %22s %12s %10s %9s\n", "", "measured", "line needs", "figure", "target");
    bool all = true;
    for (const Row &r : rows) {
        std::printf("%-44s %22s %12s %10s %9s  %s\n", qPrintable(r.what), qPrintable(r.measured),
                    qPrintable(r.line), qPrintable(r.figure), qPrintable(r.target),
                    r.target.isEmpty() ? "" : (r.ok ? "ok" : "MISSED"));
        all = all && r.ok;
    }
    std::printf("%s\n", all ? "all targets met" : "some targets missed");
}
} // namespace

int main(int argc, char **argv)
{
    for (int i = 1; i < argc; ++i) {
        if (qstrcmp(argv[i], "--startup-child") == 0)
            return startupChild(argc, argv);
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", config.path().toUtf8()); // never the user's own settings
    if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR")) {
        QDir(config.path()).mkdir(QStringLiteral("runtime"));
        QFile::setPermissions(config.path() + QStringLiteral("/runtime"),
                              QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                  QFileDevice::ExeOwner);
        qputenv("XDG_RUNTIME_DIR", (config.path() + QStringLiteral("/runtime")).toUtf8());
    }
    QApplication app(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("Veltrona"));
    QCoreApplication::setApplicationName(QStringLiteral("Terminal Q-275"));

    int runs = 5;
    int idle = 10;
    QString only;
    const QStringList args = QCoreApplication::arguments();
    for (int i = 1; i < args.size(); ++i) {
        if (args[i] == QStringLiteral("--runs") && i + 1 < args.size())
            runs = qMax(1, args[++i].toInt());
        else if (args[i] == QStringLiteral("--idle") && i + 1 < args.size())
            idle = qMax(1, args[++i].toInt());
        else if (args[i] == QStringLiteral("--sim") && i + 1 < args.size())
            qputenv("Q275_SIM", args[++i].toUtf8());
        else if (args[i] == QStringLiteral("--cli") && i + 1 < args.size())
            qputenv("Q275_CLI", args[++i].toUtf8());
        else if (args[i] == QStringLiteral("--only") && i + 1 < args.size())
            only = args[++i];
        else if (args[i] == QStringLiteral("--help")) {
            std::printf("Usage: q275-bench [--runs N] [--idle SECONDS] [--sim PATH] [--cli PATH]\n"
                        "                  [--only link|cli|idle|startup]\n"
                        "Measures the terminal against the board simulator and prints a table.\n");
            return 0;
        }
    }
    if (qEnvironmentVariableIsEmpty("Q275_SIM"))
        qputenv("Q275_SIM", Q275_SIM_DEFAULT);
    if (qEnvironmentVariableIsEmpty("Q275_CLI"))
        qputenv("Q275_CLI", Q275_CLI_DEFAULT);

    std::printf("Q-275 terminal benchmark: simulator paced at 9600 baud, platform %s\n",
                qPrintable(QGuiApplication::platformName()));
    const auto part = [&only](const char *name) {
        return only.isEmpty() || only == QLatin1String(name);
    };
    if (part("link"))
        benchLink(runs);
    if (part("cli"))
        benchCli(runs);
    if (part("idle"))
        benchIdle(idle);
    if (part("startup"))
        benchStartup(runs);
    addRow(QStringLiteral("peak memory, this whole run"), QString(), QString(),
           QString::number(peakMemoryMb(), 'f', 1) + QStringLiteral(" MB"),
           QStringLiteral("< 80 MB"), peakMemoryMb() < 80.0);
    printTable();
    return 0;
}
