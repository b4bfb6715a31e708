#include <QCoreApplication>

#include <csignal>

#include "app/translations.h"
#include "cli/cli.h"
#ifdef Q_OS_WIN
#include "cli/winconsole.h"
#endif

int main(int argc, char *argv[])
{
#ifdef Q_OS_UNIX
    // A closed pipe (q275-cli trace | head) is a failed write, not the end of the process:
    // a trace must still switch the board off.
    std::signal(SIGPIPE, SIG_IGN);
#endif
#ifdef Q_OS_WIN
    WinConsole::begin();
#endif
    QCoreApplication app(argc, argv);
    // The same per-user places as the terminal: its board history above all, and the language
    // chosen in it.
    QCoreApplication::setOrganizationName(QStringLiteral("Veltrona"));
    QCoreApplication::setApplicationName(QStringLiteral("Terminal Q-275"));
    installProgramTranslations(app);
    QList<QByteArray> args;
    for (int i = 1; i < argc; ++i)
        args << QByteArray(argv[i]);
    Cli cli(args);
    return cli.run();
}
