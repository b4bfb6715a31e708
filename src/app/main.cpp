#include <QApplication>
#include <QFile>
#include <QTextStream>
#include <QTimer>

#ifdef Q_OS_WIN
#include <cstdio>
#include <windows.h>
#endif

#include "app/q275.h"
#include "app/translations.h"
#include "q275version.h"

namespace
{
// Exit status of a command line the program does not understand, as grep and diff use it.
const int kBadUsage = 2;

// The options Qt itself takes from the command line (QGuiApplication, QApplication and the X11
// plug-in), given with one dash or two; whether each takes the next argument as its value.
struct QtOption {
    const char *name;
    bool takesValue;
};
const QtOption qtOptions[] = {
    {"platform", true},
    {"platformpluginpath", true},
    {"platformtheme", true},
    {"plugin", true},
    {"qwindowgeometry", true},
    {"qwindowicon", true},
    {"qwindowtitle", true},
    {"session", true},
    {"display", true},
    {"geometry", true},
    {"name", true},
    {"title", true},
    {"style", true},
    {"stylesheet", true},
    {"qmljsdebugger", false},
    {"reverse", false},
    {"widgetcount", false},
    {"nograb", false},
    {"dograb", false},
    {"sync", false},
};

// How many arguments a Qt option at arg spans (1 or 2); 0 when arg is not one of Qt's.
int qtOptionLength(const QString &arg)
{
    QString name = arg.mid(arg.startsWith(QLatin1String("--")) ? 2 : 1);
    const bool joined = name.contains(QLatin1Char('=')); // "-style=fusion"
    name = name.section(QLatin1Char('='), 0, 0);
    for (const QtOption &o : qtOptions) {
        if (name == QLatin1String(o.name))
            return o.takesValue && !joined ? 2 : 1;
    }
    return 0;
}

// What the command line asks for.
struct Request {
    enum Kind { Run, Help, Version, Wrong } kind = Run;
    QString file;                  // Run: the configuration file to open at start, if any
    const char *problem = nullptr; // Wrong: what is wrong with the command line (%1: arg),
    QString arg;                   // translated once the language is known
};

Request readCommandLine(int argc, char *argv[])
{
    Request r;
    bool options = true; // until "--"
    for (int i = 1; i < argc; ++i) {
        const QString arg = QString::fromLocal8Bit(argv[i]);
        if (options && arg == QLatin1String("--")) {
            options = false;
        } else if (options && (arg == QLatin1String("--help") || arg == QLatin1String("-h"))) {
            return {Request::Help, {}, nullptr, {}};
        } else if (options && arg == QLatin1String("--version")) {
            return {Request::Version, {}, nullptr, {}};
        } else if (options && arg.startsWith(QLatin1Char('-')) && arg.size() > 1) {
            const int length = qtOptionLength(arg);
            if (length == 0)
                return {
                    Request::Wrong, {}, QT_TRANSLATE_NOOP("main", "неизвестный параметр %1"), arg};
            i += length - 1;
        } else if (r.file.isEmpty()) {
            r.file = QFile::decodeName(argv[i]);
        } else {
            return {Request::Wrong,
                    {},
                    QT_TRANSLATE_NOOP("main", "лишний аргумент %1: открывается один файл"),
                    arg};
        }
    }
    return r;
}

QString help()
{
    return QCoreApplication::translate(
        "main", "Использование: q275-terminal [ПАРАМЕТРЫ] [ФАЙЛ.obd]\n"
                "\n"
                "Терминал адаптера Q-275: чтение, настройка, проверка и запись конфигурации\n"
                "опциональной платы Q-275 через MOTOROLA RIB. Файл конфигурации, названный в\n"
                "командной строке, открывается при запуске так же, как командой \"Открыть\".\n"
                "\n"
                "Параметры:\n"
                "  -h, --help     эта справка\n"
                "      --version  версия программы\n"
                "  --             дальше только имя файла, даже если оно начинается с \"-\"\n"
                "\n"
                "Принимаются и параметры самой библиотеки Qt (-platform, -style и другие).\n"
                "Код завершения: 0 - программа закрыта; 2 - неверные параметры.\n");
}

// Answers a command line that asks for no window, on stdout or stderr (Run: -1, nothing said).
int answer(const Request &r)
{
    QTextStream out(stdout), err(stderr);
    switch (r.kind) {
    case Request::Help:
        out << help();
        return 0;
    case Request::Version:
        out << "q275-terminal (Q-275 Terminal) " << Q275_VERSION << "\n";
        return 0;
    case Request::Wrong:
        err << "q275-terminal: " << QCoreApplication::translate("main", r.problem).arg(r.arg)
            << "\n"
            << QCoreApplication::translate("main", "Справка: q275-terminal --help") << "\n";
        return kBadUsage;
    case Request::Run:
        break;
    }
    return -1;
}

// The names the settings are kept under, and the language they and the system choose.
void setUp(QCoreApplication &app)
{
    QCoreApplication::setOrganizationName(QStringLiteral("Veltrona"));
    QCoreApplication::setApplicationName(QStringLiteral("Terminal Q-275"));
    installProgramTranslations(app);
}
} // namespace

#ifdef Q_OS_WIN
// A Windows GUI program has no console of its own: its help, version and errors go to the
// console it was started from, if any.
static void useParentConsole()
{
    if (AttachConsole(ATTACH_PARENT_PROCESS)) {
        (void)freopen("CONOUT$", "w", stdout);
        (void)freopen("CONOUT$", "w", stderr);
    }
}
#endif

int main(int argc, char *argv[])
{
    const Request request = readCommandLine(argc, argv);
    if (request.kind != Request::Run) {
        // Help, version and a wrong command line need no display.
#ifdef Q_OS_WIN
        useParentConsole();
#endif
        QCoreApplication app(argc, argv);
        setUp(app);
        return answer(request);
    }
    QApplication app(argc, argv);
    setUp(app);
    auto *window = new Q275; // deletes itself when closed
    window->show();
    if (!request.file.isEmpty())
        QTimer::singleShot(0, window, [window, file = request.file] { window->openFile(file); });
    return app.exec();
}
