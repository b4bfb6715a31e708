#include "cli/cli.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QSocketNotifier>
#include <QTime>
#include <QTimer>

#include <cstdio>
#include <cstring>

#ifdef Q_OS_UNIX
#include <csignal>
#include <unistd.h>
#endif
#ifdef Q_OS_WIN
#include <fcntl.h>
#include <io.h>

#include "cli/winconsole.h"
#endif

#include "cli/clihelp.h"
#include "cli/clioptions.h"
#include "cli/linewriter.h"
#include "config/boardidentity.h"
#include "config/configtext.h"
#include "config/obdfile.h"
#include "config/safesave.h"
#include "link/portfile.h"
#include "link/tdemoport.h"
#include "link/tlink.h"
#include "link/traceline.h"
#include "link/tserialport.h"
#include "link/tthread.h"
#include "q275version.h"

namespace
{
bool stderrIsTerminal()
{
#ifdef Q_OS_UNIX
    return ::isatty(STDERR_FILENO);
#elif defined(Q_OS_WIN)
    return WinConsole::isConsole(2);
#else
    return false;
#endif
}

#ifdef Q_OS_UNIX
int stopPipe[2] = {-1, -1};

extern "C" void onStopSignal(int)
{
    const char c = 1;
    (void)!::write(stopPipe[1], &c, 1);
}
#endif
#ifdef Q_OS_WIN
// The console's Ctrl+C comes on a thread of the system's: the stop is handed to the event loop.
QObject *stopScope = nullptr;
std::function<void()> stopCall;

void onConsoleStop()
{
    QMetaObject::invokeMethod(
        stopScope, [] { stopCall(); }, Qt::QueuedConnection);
}
#endif

// Ctrl+C or a TERM signal calls stop, in the event loop, until releaseStopSignals().
std::unique_ptr<QSocketNotifier> catchStopSignals(QObject *scope, const std::function<void()> &stop)
{
    std::unique_ptr<QSocketNotifier> notifier;
#ifdef Q_OS_UNIX
    if (stopPipe[0] < 0 && ::pipe(stopPipe) != 0)
        return notifier;
    notifier = std::make_unique<QSocketNotifier>(stopPipe[0], QSocketNotifier::Read);
    QObject::connect(notifier.get(), &QSocketNotifier::activated, scope, [stop] {
        char c;
        (void)!::read(stopPipe[0], &c, 1);
        stop();
    });
    std::signal(SIGINT, onStopSignal);
    std::signal(SIGTERM, onStopSignal);
#elif defined(Q_OS_WIN)
    stopScope = scope;
    stopCall = stop;
    WinConsole::catchStop(onConsoleStop);
#endif
    return notifier;
}

// Standard input and output carry a file's bytes as they are (Windows would turn line ends).
void binary(FILE *stream)
{
#ifdef Q_OS_WIN
    _setmode(_fileno(stream), _O_BINARY);
#else
    Q_UNUSED(stream);
#endif
}

void releaseStopSignals()
{
#ifdef Q_OS_UNIX
    std::signal(SIGINT, SIG_DFL);
    std::signal(SIGTERM, SIG_DFL);
#elif defined(Q_OS_WIN)
    WinConsole::releaseStop();
#endif
}
} // namespace

Cli::Cli(const QList<QByteArray> &arguments) : out(stdout), err(stderr)
{
#ifdef Q_OS_WIN
    // The bytes of a Windows command line are in the console's code page: the wide command
    // line names every file as it is.
    Q_UNUSED(arguments);
    args = QCoreApplication::arguments().mid(1);
#else
    // As the system gives them: file names are bytes, and one that is not in the system's
    // encoding would not name the same file again.
    for (const QByteArray &a : arguments) {
        args << QFile::decodeName(a);
        if (QFile::encodeName(args.last()) != a && unreadable.isNull())
            unreadable = args.last();
    }
#endif
}

Cli::~Cli()
{
    if (thread) {
        thread->requestStop();
        thread->wait();
    }
}

// ---- the command line ------------------------------------------------------------------

int Cli::usage(const QString &problem)
{
    err << "q275-cli: " << problem << "\n" << tr("Справка: q275-cli --help") << "\n";
    err.flush();
    return BadInput;
}

int Cli::run()
{
    if (!unreadable.isNull())
        return usage(tr("параметр %1 не в кодировке системы: такое имя файла исказилось бы")
                         .arg(unreadable));
    CliOptions o;
    QString problem;
    if (!o.parse(args, &problem))
        return usage(problem);
    if (o.version) {
        out << "q275-cli (Q-275 Terminal) " << Q275_VERSION << "\n";
        return flushOut();
    }
    if (o.help) {
        out << (o.command.isEmpty() ? CliHelp::program() : CliHelp::command(o.command));
        return flushOut();
    }
    quiet = o.quiet;
    return command(o);
}

int Cli::command(CliOptions &o)
{
    const QString &c = o.command;
    if (c == QLatin1String("ports"))
        return ports(o);
    if (c == QLatin1String("show"))
        return show(o);
    const int takes = CliOptions::takes(c);
    if (((takes & CliOptions::Output) && o.output.isEmpty()) ||
        ((takes & CliOptions::Input) && o.input.isEmpty()))
        return usage(
            tr("команде %1 нужен файл (%2 ФАЙЛ.obd)")
                .arg(c, takes & CliOptions::Output ? QStringLiteral("-o") : QStringLiteral("-i")));
    const int status = takePort(o);
    if (status != Done)
        return status;
    if (c == QLatin1String("info"))
        return info(o);
    if (c == QLatin1String("read"))
        return read(o);
    if (c == QLatin1String("write") || c == QLatin1String("test"))
        return write(o, c == QLatin1String("test"));
    if (c == QLatin1String("verify"))
        return verify(o);
    return trace(o);
}

int Cli::takePort(CliOptions &o)
{
    if (!o.port.isEmpty())
        return Done;
    QString fileProblem;
    o.port = PortFile::read(&fileProblem);
    if (!fileProblem.isEmpty()) {
        error(fileProblem);
        return BadInput;
    }
    if (o.port.isEmpty())
        return usage(
            tr("порт не задан: укажите -p ПОРТ или запишите его в %1").arg(PortFile::fileName()));
    return Done;
}

// ---- the link ---------------------------------------------------------------------------

void Cli::startLink(const CliOptions &o)
{
    thread = std::make_unique<TThread>();
    thread->setPort(o.port);
    // Mode 2 gives the port lines and the hex dumps of the service modes.
    thread->setMode(o.verbose ? 2 : 1);
    connect(thread.get(), &TThread::mes, this, &Cli::log);
    connect(thread.get(), &TThread::taskEnd, this, [this](quint32 id, int result) {
        ended.insert(id, result);
        if (waiting)
            waiting->quit();
    });
    connect(thread.get(), &TThread::sendMax, this, [this](quint32 n) { sendTotal = n; });
    connect(thread.get(), &TThread::sendCnt, this,
            [this](quint32 n) { progress(Sent, n, sendTotal); });
    connect(thread.get(), &TThread::recvMax, this, [this](qint32 n) {
        recvTotal = n;
        progress(Received, 0, n);
    });
    connect(thread.get(), &TThread::recvCnt, this, [this](qint32 n) {
        if (n > 0 && recvTotal > 0)
            progress(Received, n, recvTotal);
    });
}

int Cli::waitTask(quint32 id)
{
    if (!id)
        return TThread::TaskLineFailed;
    // A task may end before this is reached (a port that does not exist fails at once):
    // its end is already in ended, or on its way there.
    QEventLoop loop;
    waiting = &loop;
    while (!ended.contains(id))
        loop.exec();
    waiting = nullptr;
    return ended.take(id);
}

// A failed task: its reason (when stderr was silenced, the link's lines were not shown),
// what failed, and the exit status.
int Cli::linkFailure(int result, const QString &what)
{
    if (quiet && !lastLine.isEmpty())
        error(lastLine);
    // A configuration that differs is said whole by the line that names the byte.
    if (result != TThread::TaskDiffers)
        error(what);
    return result == TThread::TaskLineFailed ? LineFailed : Refused;
}

bool Cli::loadFile(const QString &name, TQ275 &cfg, int &status)
{
    ObdFile::Result r = ObdFile::ReadFailed;
    if (name == QLatin1String("-")) {
        // One byte more than a file holds is enough to tell a longer input.
        binary(stdin);
        QFile in;
        if (in.open(stdin, QIODevice::ReadOnly))
            r = ObdFile::parse(in.read(ObdFile::Size + 1), &cfg);
    } else {
        r = ObdFile::load(name, &cfg);
    }
    if (r != ObdFile::Ok) {
        error(ObdFile::message(r, name));
        status = BadInput;
        return false;
    }
    // As the terminal shows a configuration: only one that passes its checksum.
    if (!cfg.isValid()) {
        error(tr("Конфигурация адаптера Q-275 повреждена"));
        status = BadInput;
        return false;
    }
    return true;
}

// ---- the commands -----------------------------------------------------------------------

int Cli::ports(const CliOptions &o)
{
    QList<TSerialPort::Details> list;
    const QStringList names = TSerialPort::openablePorts(PortFile::read());
    for (const QString &n : names)
        list << TSerialPort::details(n);
    list << TSerialPort::Details{QLatin1String(TDemoPort::Name), tr("демонстрационная плата"),
                                 QString(), QString(), QString()};
    QJsonArray json;
    for (const TSerialPort::Details &d : std::as_const(list)) {
        const QStringList known =
            QStringList{d.description, d.manufacturer, d.serialNumber, d.byId}.filter(
                QRegularExpression(QStringLiteral(".")));
        if (!o.json) {
            out << d.name << (known.isEmpty() ? QString() : u'\t' + known.join(QLatin1String(", ")))
                << "\n";
            continue;
        }
        const auto field = [](const QString &v) {
            return v.isEmpty() ? QJsonValue() : QJsonValue(v);
        };
        json << QJsonObject{{"name", d.name},
                            {"description", field(d.description)},
                            {"manufacturer", field(d.manufacturer)},
                            {"serial_number", field(d.serialNumber)},
                            {"by_id", field(d.byId)}};
    }
    if (o.json)
        out << QJsonDocument(json).toJson(QJsonDocument::Compact) << "\n";
    return flushOut();
}

int Cli::info(const CliOptions &o)
{
    startLink(o);
    const int result = waitTask(thread->postIdent());
    if (result != TThread::TaskDone)
        return linkFailure(result, tr("Ошибка. Чтение данных платы прервано."));
    quint8 ident[BoardIdentity::IdentSize], data[BoardIdentity::InfoSize];
    thread->getIdent(ident);
    thread->getInfo(data);
    const BoardIdentity board(ident, data);
    const bool has = board.supported();
    const QString none = tr("Не поддерживается");
    if (o.json) {
        auto field = [has](const QString &v) { return has ? QJsonValue(v) : QJsonValue(); };
        const QJsonObject json{
            {"model", QStringLiteral("Q-275")},      {"version", board.version()},
            {"serial", field(board.serialText())},   {"date", field(board.isoDate())},
            {"processor_id", field(board.chipId())}, {"processor_rev", field(board.chipRev())},
            {"processor_sn", field(board.esn())}};
        out << QJsonDocument(json).toJson(QJsonDocument::Compact) << "\n";
    } else {
        out << tr("Модель: %1").arg(QStringLiteral("Q-275")) << "\n"
            << tr("Версия ПО: %1").arg(board.version()) << "\n"
            << tr("Сер. номер: %1").arg(has ? board.serialText() : none) << "\n"
            << tr("Дата: %1").arg(has ? board.dateText() : none) << "\n"
            << tr("Процессор ID: %1").arg(has ? board.chipId() : none) << "\n"
            << tr("Процессор REV: %1").arg(has ? board.chipRev() : none) << "\n"
            << tr("Процессор S/N: %1").arg(has ? board.esn() : none) << "\n";
    }
    return flushOut();
}

int Cli::read(const CliOptions &o)
{
    startLink(o);
    QByteArray cfg;
    QObject scope; // the connection ends with this function
    connect(thread.get(), &TThread::readCfg, &scope, [&cfg](TQ275 *c) {
        cfg = QByteArray(reinterpret_cast<const char *>(c->bytes()), TQ275::Size);
    });
    const int result = waitTask(thread->postRead());
    if (result != TThread::TaskDone || cfg.size() != TQ275::Size)
        return linkFailure(result, tr("Ошибка. Чтение конфигурации прервано."));
    TQ275 rec;
    std::memcpy(rec.bytes(), cfg.constData(), TQ275::Size);
    // A record that fails its checksum never replaces a file.
    if (!rec.isValid()) {
        error(tr("Конфигурация адаптера Q-275 повреждена"));
        return Refused;
    }
    if (o.output == QLatin1String("-")) {
        binary(stdout);
        out.flush();
        QFile std;
        const QByteArray image = ObdFile::image(rec);
        if (std.open(stdout, QIODevice::WriteOnly) && std.write(image) == image.size() &&
            std.flush())
            return Done;
        error(tr("Стандартный вывод не удалось записать."));
        return BadInput;
    }
    const SafeSave::Result saved = SafeSave::save(o.output, ObdFile::image(rec));
    if (saved != SafeSave::Saved) {
        error(SafeSave::message(saved, o.output));
        return BadInput;
    }
    out << ObdFile::savedMessage(o.output) << "\n";
    return flushOut();
}

int Cli::write(const CliOptions &o, bool test)
{
    TQ275 cfg;
    int status = Done;
    if (!loadFile(o.input, cfg, status))
        return status;
    startLink(o);
    // The configuration the board accepted is read back and compared before the write is done.
    thread->setVerifyWrites(o.verify);
    if (!test) {
        // The board history files a write under the board's serial number: read it first.
        const int result = waitTask(thread->postIdent());
        if (result != TThread::TaskDone)
            return linkFailure(result, tr("Ошибка. Запись конфигурации прервана."));
    }
    const quint32 id = test ? thread->postTest(cfg.bytes(), TQ275::Size)
                            : thread->postSave(cfg.bytes(), TQ275::Size);
    const int result = waitTask(id);
    if (result != TThread::TaskDone)
        return linkFailure(result, test ? tr("Ошибка. Загрузка конфигурации прервана.")
                                        : tr("Ошибка. Запись конфигурации прервана."));
    out << (test ? tr("Проверка конфигурации адаптера Q-275 выполнена.")
                 : tr("Конфигурации адаптера Q-275 записана."))
        << "\n";
    return flushOut();
}

int Cli::verify(const CliOptions &o)
{
    TQ275 cfg;
    int status = Done;
    if (!loadFile(o.input, cfg, status))
        return status;
    startLink(o);
    const int result = waitTask(thread->postVerify(cfg.bytes(), TQ275::Size));
    if (result != TThread::TaskDone)
        return linkFailure(result, tr("Ошибка. Сравнение конфигурации прервано."));
    out << tr("Конфигурация в плате совпадает с файлом.") << "\n";
    return flushOut();
}

int Cli::trace(const CliOptions &o)
{
    startLink(o);
    LineWriter writer(LineWriter::StdOut);
    QEventLoop loop;
    QObject scope; // the connections end with this function
    TraceState st;
    // The end (the time is up, Ctrl+C, nobody reads): the worker stops at once, a pause
    // included, and tells the board to stop tracing on its way out.
    const auto stop = [&] {
        st.stopping = true;
        loop.quit();
    };
    // Each record's line goes to the writer, and the next poll is asked for once it is
    // written: a reader that falls behind holds the polls, never this loop.
    const auto next = [&] {
        if (!st.stopping)
            thread->postTracePoll();
    };
    connect(thread.get(), &TThread::traceRdy, &scope, [&](quint8 *rec) {
        const QString line = TraceLine::text(rec, QTime::currentTime().toString(Qt::TextDate));
        line.isEmpty() ? next() : writer.put(line.toUtf8() + '\n');
    });
    connect(&writer, &LineWriter::drained, &scope, next);
    connect(&writer, &LineWriter::failed, &scope, [&] {
        st.outFailed = true;
        stop();
    });
    connect(thread.get(), &TThread::taskBeg, &scope, [this] { lastLine.clear(); });
    connect(thread.get(), &TThread::taskEnd, &scope, [&](quint32 id, int result) {
        const bool done = result == TThread::TaskDone;
        // The time counts from the moment the board traces.
        if (id == st.switchOn && done && !st.stopping && o.seconds >= 0)
            QTimer::singleShot(o.seconds * 1000, &loop, stop);
        (id == st.switchOn ? st.switchedOn : st.polled) |= done;
        // A failure ends the trace. Once it is ending, only a failure that made the link speak
        // before any poll got through counts: one the stop cut short said nothing.
        if (!done && !st.failed && (!st.stopping || (!lastLine.isEmpty() && !st.polled))) {
            st.failed = result;
            st.failLine = lastLine;
            stop();
        }
    });

    const auto catcher = catchStopSignals(&scope, stop);
    st.switchOn = thread->postTrace(o.mask);
    loop.exec();
    return endTrace(st, writer);
}

// The worker stops, switching the board off; what is still on its way to stdout gets a moment
// (a reader that stalls loses it); the exit status.
int Cli::endTrace(TraceState &st, LineWriter &writer)
{
    thread->requestStop();
    thread->wait();
    QCoreApplication::sendPostedEvents(); // the ends of the tasks the stop cut short
    releaseStopSignals();
    enum { DrainMs = 1000 };
    st.outFailed = !writer.drain(DrainMs) || st.outFailed;
    const QString stopped = tr("Ошибка. Трассировка прервана.");
    if (st.failed != TThread::TaskDone) {
        lastLine = st.failLine;
        return linkFailure(st.failed, stopped);
    }
    if (!st.switchedOn) {
        // Stopped before the board answered the switch-on: it never traced for us.
        error(tr("Плата не подтвердила включение трассировки до остановки."));
        error(stopped);
        return LineFailed;
    }
    if (st.outFailed) {
        error(tr("Стандартный вывод не удалось записать."));
        return BadInput;
    }
    return Done;
}

int Cli::show(const CliOptions &o)
{
    if (o.file.isEmpty())
        return usage(tr("команде show нужен файл"));
    TQ275 cfg;
    int status = Done;
    if (!loadFile(o.file, cfg, status))
        return status;
    if (o.json) {
        // Keys and values as the source texts have them, whatever the language: scripts read them.
        const QList<ConfigText::Row> rows = ConfigText::rows(cfg, ConfigText::Source);
        QJsonObject all;
        for (const ConfigText::Row &r : rows) {
            QJsonObject group = all.value(r.groupKey).toObject();
            group.insert(r.key, r.value);
            all.insert(r.groupKey, group);
        }
        out << QJsonDocument(all).toJson(QJsonDocument::Indented);
    } else {
        const QList<ConfigText::Row> rows = ConfigText::rows(cfg);
        for (const ConfigText::Row &r : rows)
            out << r.group << " · " << r.setting << ": " << r.value << "\n";
    }
    return flushOut();
}

// ---- stderr -----------------------------------------------------------------------------

void Cli::log(const QString &line)
{
    // Why a task failed is the link's last word on it (dumps and port lines aside).
    if (!TLink::isPortLine(line))
        lastLine = line;
    if (quiet)
        return;
    clearBar();
    err << line << "\n";
    err.flush();
}

void Cli::progress(Direction direction, qint64 done, qint64 total)
{
    if (quiet || total <= 0)
        return;
    if (stderrIsTerminal()) {
        enum { Width = 30 };
        const int filled = int(Width * qBound<qint64>(0, done, total) / total);
        err << "\r[" << QString(filled, QLatin1Char('#'))
            << QString(Width - filled, QLatin1Char(' ')) << "] "
            << (direction == Sent ? tr("передано %1/%2 байт") : tr("принято %1/%2 байт"))
                   .arg(done)
                   .arg(total);
        barShown = true;
    } else if (done == total) {
        err << (direction == Sent ? tr("передано %1 из %2 байт") : tr("принято %1 из %2 байт"))
                   .arg(done)
                   .arg(total)
            << "\n";
    }
    err.flush();
}

void Cli::error(const QString &text)
{
    clearBar();
    err << "q275-cli: " << text << "\n";
    err.flush();
}

// The bar shares the terminal with what follows it on either stream.
void Cli::clearBar()
{
    if (!barShown)
        return;
    err << "\r\033[K";
    err.flush();
    barShown = false;
}

// The results reach stdout whole or the command fails (a closed pipe, a full disk).
int Cli::flushOut()
{
    clearBar();
    out.flush();
    if (out.status() == QTextStream::Ok)
        return Done;
    error(tr("Стандартный вывод не удалось записать."));
    return BadInput;
}
