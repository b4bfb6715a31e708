#include "cli/cli.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSocketNotifier>
#include <QTime>
#include <QTimer>

#include <cstdio>
#include <cstring>

#ifdef Q_OS_UNIX
#include <csignal>
#include <unistd.h>
#endif

#include "cli/linewriter.h"
#include "config/boardidentity.h"
#include "config/configtext.h"
#include "config/obdfile.h"
#include "config/safesave.h"
#include "link/portfile.h"
#include "link/traceline.h"
#include "link/tserialport.h"
#include "link/tthread.h"

namespace
{
bool stderrIsTerminal()
{
#ifdef Q_OS_UNIX
    return ::isatty(STDERR_FILENO);
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
#endif
    return notifier;
}

void releaseStopSignals()
{
#ifdef Q_OS_UNIX
    std::signal(SIGINT, SIG_DFL);
    std::signal(SIGTERM, SIG_DFL);
#endif
}

// The options each command takes.
const char *const kOptions[][2] = {
    {"ports", ""},   {"info", "p,json"},          {"read", "p,o"},       {"write", "p,i"},
    {"test", "p,i"}, {"trace", "p,mask,seconds"}, {"show", "file,json"},
};
} // namespace

Cli::Cli(const QList<QByteArray> &arguments) : out(stdout), err(stderr)
{
    // As the system gives them: file names are bytes, and one that is not in the system's
    // encoding would not name the same file again.
    for (const QByteArray &a : arguments) {
        args << QFile::decodeName(a);
        if (QFile::encodeName(args.last()) != a && unreadable.isNull())
            unreadable = args.last();
    }
}

Cli::~Cli()
{
    if (thread) {
        thread->requestStop();
        thread->wait();
    }
}

// ---- help and options -------------------------------------------------------------------

namespace
{
QString mainHelp()
{
    return Cli::tr(
        "Использование: q275-cli КОМАНДА [ПАРАМЕТРЫ]\n"
        "\n"
        "Чтение, запись, проверка, идентификация и трассировка опциональных плат Q-275\n"
        "через MOTOROLA RIB и просмотр файлов конфигурации .obd, по той же линии связи,\n"
        "что и у терминала адаптера Q-275.\n"
        "\n"
        "Команды:\n"
        "  ports                         последовательные порты, которые можно открыть\n"
        "                                сейчас, по одному в строке\n"
        "  info  [-p ПОРТ] [--json]      модель, версия ПО, серийный номер и дата\n"
        "                                изготовления платы, ID, REV и S/N процессора\n"
        "  read  [-p ПОРТ] -o ФАЙЛ.obd   читает конфигурацию платы в файл (822 байта)\n"
        "  write [-p ПОРТ] -i ФАЙЛ.obd   записывает конфигурацию из файла в плату\n"
        "  test  [-p ПОРТ] -i ФАЙЛ.obd   загружает конфигурацию из файла в плату как\n"
        "                                тестовую (в плате она не сохраняется)\n"
        "  trace [-p ПОРТ] [--mask M] [--seconds N]\n"
        "                                выводит записи трассировки платы так, как их\n"
        "                                показывает монитор трассировки\n"
        "  show  ФАЙЛ.obd [--json]       выводит конфигурацию из файла в единицах\n"
        "                                редакторов; плата не нужна\n"
        "\n"
        "Параметры:\n"
        "  -p, --port ПОРТ  последовательный порт (COM3, ttyUSB0, /dev/ttyUSB0); без\n"
        "                   него - первая строка файла Q275.ini в текущей папке\n"
        "  -q, --quiet      в stderr только ошибки\n"
        "  -v, --verbose    в stderr также строки порта и дампы всех кадров\n"
        "  -h, --help       эта справка; \"q275-cli КОМАНДА --help\" - справка команды\n"
        "\n"
        "Результаты выводятся в stdout, ход работы и строки журнала связи - в stderr.\n"
        "Код завершения: 0 - выполнено; 1 - ошибка линии (нет эха, нет ответа, истекло\n"
        "время ожидания после всех попыток, порт не открылся); 2 - плата отказала (ответ\n"
        "с ошибкой, статус не \"0\", конфигурация с неверной контрольной суммой);\n"
        "3 - неверный файл или неверные параметры.\n"
        "Каждая конфигурация, прочитанная из платы или принятая ею, сохраняется в\n"
        "истории плат: папка данных пользователя, history/<серийный номер>/.\n");
}

QString commandHelp(const QString &command)
{
    const QString common = Cli::tr("  -p, --port ПОРТ  последовательный порт; без него - первая "
                                   "строка Q275.ini\n"
                                   "  -q, --quiet      в stderr только ошибки\n"
                                   "  -v, --verbose    строки порта и дампы кадров в stderr\n");
    if (command == QLatin1String("ports"))
        return Cli::tr("Использование: q275-cli ports\n\n"
                       "Выводит последовательные порты, которые можно открыть сейчас, по одному\n"
                       "в строке (и порт из Q275.ini, если его можно открыть).\n");
    if (command == QLatin1String("info"))
        return Cli::tr("Использование: q275-cli info [-p ПОРТ] [--json] [-q] [-v]\n\n"
                       "Читает данные платы (команды 0x79 и 0x80) и выводит модель, версию ПО,\n"
                       "серийный номер, дату изготовления, ID, REV и S/N процессора так, как их\n"
                       "показывает окно \"Информация\".\n\n"
                       "  --json           один объект JSON с ключами model, version, serial,\n"
                       "                   date, processor_id, processor_rev, processor_sn\n") +
               common;
    if (command == QLatin1String("read"))
        return Cli::tr("Использование: q275-cli read [-p ПОРТ] -o ФАЙЛ.obd [-q] [-v]\n\n"
                       "Читает конфигурацию платы (команды 0x79, 0x80, 0x76) и записывает файл\n"
                       "конфигурации (822 байта), как \"Сохранить как\" в терминале. Прежний файл\n"
                       "заменяется только после полного чтения с верной контрольной суммой.\n\n"
                       "  -o ФАЙЛ          файл, в который записывается конфигурация\n") +
               common;
    if (command == QLatin1String("write") || command == QLatin1String("test")) {
        const bool write = command == QLatin1String("write");
        return (write
                    ? Cli::tr("Использование: q275-cli write [-p ПОРТ] -i ФАЙЛ.obd [-q] [-v]\n\n"
                              "Записывает конфигурацию из файла в плату (команда 0x75). Перед "
                              "записью\n"
                              "читаются данные платы (0x79, 0x80): копия записанной конфигурации\n"
                              "сохраняется в истории под серийным номером платы.\n\n")
                    : Cli::tr("Использование: q275-cli test [-p ПОРТ] -i ФАЙЛ.obd [-q] [-v]\n\n"
                              "Загружает конфигурацию из файла в плату как тестовую (команда "
                              "0x74);\n"
                              "сохраненная в плате конфигурация не меняется.\n\n")) +
               Cli::tr("  -i ФАЙЛ          файл конфигурации (.obd)\n") + common;
    }
    if (command == QLatin1String("trace"))
        return Cli::tr("Использование: q275-cli trace [-p ПОРТ] [--mask M] [--seconds N] [-q] "
                       "[-v]\n\n"
                       "Включает трассировку платы и выводит каждую запись строкой, как монитор\n"
                       "трассировки. Через N секунд после того, как плата включила трассировку,\n"
                       "или по Ctrl+C трассировка выключается.\n\n"
                       "  --mask M         каналы: 1 SPI Rx, 2 I2C Tx, 4 Prois Rx, 8 Prois Tx;\n"
                       "                   сумма 1..255 (десятичная или 0x..), по умолчанию 15\n"
                       "  --seconds N      сколько секунд трассировать (до %1); без него - до\n"
                       "                   Ctrl+C\n")
                   .arg(Cli::MaxSeconds) +
               common;
    return Cli::tr("Использование: q275-cli show ФАЙЛ.obd [--json]\n\n"
                   "Выводит конфигурацию из файла строками \"группа · параметр: значение\" в\n"
                   "единицах редакторов (дБ, мс, вкл./откл.). Плата не нужна.\n\n"
                   "  --json           объекты receiver, microphone, output и record с теми же\n"
                   "                   значениями; ключи перечислены в README\n");
}

bool toNumber(const QString &text, int &value)
{
    bool ok = false;
    value = text.startsWith(QLatin1String("0x"), Qt::CaseInsensitive) ? text.mid(2).toInt(&ok, 16)
                                                                      : text.toInt(&ok, 10);
    return ok;
}
} // namespace

int Cli::usage(const QString &problem)
{
    err << "q275-cli: " << problem << "\n" << tr("Справка: q275-cli --help") << "\n";
    err.flush();
    return BadInput;
}

bool Cli::parse(const QStringList &a, const QString &allowed, Options &o, QString &problem)
{
    const QStringList may = allowed.split(QLatin1Char(','), Qt::SkipEmptyParts);
    for (int i = 0; i < a.size(); ++i) {
        const QString arg = a[i];
        auto value = [&](QString &to) {
            if (i + 1 >= a.size()) {
                problem = tr("параметру %1 нужно значение").arg(arg);
                return false;
            }
            to = a[++i];
            return true;
        };
        auto allowedHere = [&](const char *name) {
            if (may.contains(QLatin1String(name)))
                return true;
            problem = tr("параметр %1 не подходит к этой команде").arg(arg);
            return false;
        };
        QString text;
        if (arg == QLatin1String("-h") || arg == QLatin1String("--help")) {
            o.help = true;
        } else if (arg == QLatin1String("-q") || arg == QLatin1String("--quiet")) {
            o.quiet = true;
        } else if (arg == QLatin1String("-v") || arg == QLatin1String("--verbose")) {
            o.verbose = true;
        } else if (arg == QLatin1String("-p") || arg == QLatin1String("--port")) {
            if (!allowedHere("p") || !value(o.port))
                return false;
        } else if (arg == QLatin1String("-o")) {
            if (!allowedHere("o") || !value(o.output))
                return false;
        } else if (arg == QLatin1String("-i")) {
            if (!allowedHere("i") || !value(o.input))
                return false;
        } else if (arg == QLatin1String("--json")) {
            if (!allowedHere("json"))
                return false;
            o.json = true;
        } else if (arg == QLatin1String("--mask")) {
            if (!allowedHere("mask") || !value(text))
                return false;
            if (!toNumber(text, o.mask) || o.mask < 1 || o.mask > 255) {
                problem = tr("маска каналов должна быть числом от 1 до 255: %1").arg(text);
                return false;
            }
        } else if (arg == QLatin1String("--seconds")) {
            if (!allowedHere("seconds") || !value(text))
                return false;
            // At most what a timer holds in milliseconds: 24 days.
            if (!toNumber(text, o.seconds) || o.seconds < 0 || o.seconds > MaxSeconds) {
                problem =
                    tr("число секунд должно быть целым от 0 до %1: %2").arg(MaxSeconds).arg(text);
                return false;
            }
        } else if (!arg.startsWith(QLatin1Char('-')) && may.contains(QLatin1String("file")) &&
                   o.file.isEmpty()) {
            o.file = arg;
        } else {
            problem = tr("неизвестный параметр: %1").arg(arg);
            return false;
        }
    }
    return true;
}

int Cli::run()
{
    if (!unreadable.isNull())
        return usage(tr("параметр %1 не в кодировке системы: такое имя файла исказилось бы")
                         .arg(unreadable));
    if (args.isEmpty())
        return usage(tr("не задана команда"));
    if (args[0] == QLatin1String("-h") || args[0] == QLatin1String("--help")) {
        out << mainHelp();
        return flushOut();
    }
    const QString command = args[0];
    QString allowed;
    bool known = false;
    for (const auto &c : kOptions) {
        if (command == QLatin1String(c[0])) {
            allowed = QString::fromLatin1(c[1]);
            known = true;
        }
    }
    if (!known)
        return usage(tr("неизвестная команда: %1").arg(command));
    Options o;
    QString problem;
    if (!parse(args.mid(1), allowed, o, problem))
        return usage(problem);
    if (o.help) {
        out << commandHelp(command);
        return flushOut();
    }
    quiet = o.quiet;
    if (command == QLatin1String("ports"))
        return ports(o);
    if (command == QLatin1String("show"))
        return show(o);
    if ((command == QLatin1String("read") && o.output.isEmpty()) ||
        ((command == QLatin1String("write") || command == QLatin1String("test")) &&
         o.input.isEmpty()))
        return usage(tr("команде %1 нужен файл (%2 ФАЙЛ.obd)")
                         .arg(command, command == QLatin1String("read") ? QStringLiteral("-o")
                                                                        : QStringLiteral("-i")));
    QString fileProblem;
    if (o.port.isEmpty())
        o.port = PortFile::read(&fileProblem);
    if (!fileProblem.isEmpty()) {
        error(fileProblem);
        return BadInput;
    }
    if (o.port.isEmpty())
        return usage(
            tr("порт не задан: укажите -p ПОРТ или запишите его в %1").arg(PortFile::fileName()));
    if (command == QLatin1String("info"))
        return info(o);
    if (command == QLatin1String("read"))
        return read(o);
    if (command == QLatin1String("write") || command == QLatin1String("test"))
        return write(o, command == QLatin1String("test"));
    return trace(o);
}

// ---- the link ---------------------------------------------------------------------------

void Cli::startLink(const Options &o)
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
            [this](quint32 n) { progress(tr("передано"), n, sendTotal); });
    connect(thread.get(), &TThread::recvMax, this, [this](qint32 n) {
        recvTotal = n;
        progress(tr("принято"), 0, n);
    });
    connect(thread.get(), &TThread::recvCnt, this, [this](qint32 n) {
        if (n > 0 && recvTotal > 0)
            progress(tr("принято"), n, recvTotal);
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
    error(what);
    return result == TThread::TaskRefused ? Refused : LineFailed;
}

bool Cli::loadFile(const QString &name, TQ275 &cfg, int &status)
{
    const ObdFile::Result r = ObdFile::load(name, &cfg);
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

int Cli::ports(const Options &)
{
    const QStringList names = TSerialPort::openablePorts(PortFile::read());
    for (const QString &n : names)
        out << n << "\n";
    return flushOut();
}

int Cli::info(const Options &o)
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
        out << tr("Модель: ") << "Q-275\n"
            << tr("Версия ПО: ") << board.version() << "\n"
            << tr("Сер. номер: ") << (has ? board.serialText() : none) << "\n"
            << tr("Дата: ") << (has ? board.dateText() : none) << "\n"
            << tr("Процессор ID: ") << (has ? board.chipId() : none) << "\n"
            << tr("Процессор REV: ") << (has ? board.chipRev() : none) << "\n"
            << tr("Процессор S/N: ") << (has ? board.esn() : none) << "\n";
    }
    return flushOut();
}

int Cli::read(const Options &o)
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
    switch (SafeSave::save(o.output, ObdFile::image(rec))) {
    case SafeSave::OpenFailed:
        error(tr("Файл ") + o.output + tr(" не удалось открыть."));
        return BadInput;
    case SafeSave::WriteFailed:
        error(tr("Файл ") + o.output + tr(" не удалось записать."));
        return BadInput;
    case SafeSave::Saved:
        break;
    }
    out << tr("Конфигурация адаптера Q-275, ") << "(" << ObdFile::Size << tr(" байт)")
        << tr(" записана в файл: ") << o.output << "\n";
    return flushOut();
}

int Cli::write(const Options &o, bool test)
{
    TQ275 cfg;
    int status = Done;
    if (!loadFile(o.input, cfg, status))
        return status;
    startLink(o);
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

int Cli::trace(const Options &o)
{
    startLink(o);
    LineWriter writer(STDOUT_FILENO);
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

int Cli::show(const Options &o)
{
    if (o.file.isEmpty())
        return usage(tr("команде show нужен файл"));
    TQ275 cfg;
    int status = Done;
    if (!loadFile(o.file, cfg, status))
        return status;
    const QList<ConfigText::Row> rows = ConfigText::rows(cfg);
    if (o.json) {
        QJsonObject all;
        for (const ConfigText::Row &r : rows) {
            QJsonObject group = all.value(r.groupKey).toObject();
            group.insert(r.key, r.value);
            all.insert(r.groupKey, group);
        }
        out << QJsonDocument(all).toJson(QJsonDocument::Indented);
    } else {
        for (const ConfigText::Row &r : rows)
            out << r.group << " · " << r.setting << ": " << r.value << "\n";
    }
    return flushOut();
}

// ---- stderr -----------------------------------------------------------------------------

void Cli::log(const QString &line)
{
    // Why a task failed is the link's last word on it (dumps and port lines aside).
    if (!line.startsWith(QLatin1String("Txd=>")) && !line.startsWith(QLatin1String("Rxd=>")) &&
        !line.startsWith(tr("Открыт порт ")) && !line.startsWith(tr("Закрыт порт ")))
        lastLine = line;
    if (quiet)
        return;
    clearBar();
    err << line << "\n";
    err.flush();
}

void Cli::progress(const QString &what, qint64 done, qint64 total)
{
    if (quiet || total <= 0)
        return;
    if (stderrIsTerminal()) {
        enum { Width = 30 };
        const int filled = int(Width * qBound<qint64>(0, done, total) / total);
        err << "\r[" << QString(filled, QLatin1Char('#'))
            << QString(Width - filled, QLatin1Char(' ')) << "] " << what << " " << done << "/"
            << total << tr(" байт");
        barShown = true;
    } else if (done == total) {
        err << what << " " << done << tr(" из ") << total << tr(" байт") << "\n";
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
