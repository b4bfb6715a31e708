#include <QCoreApplication>

#include <csignal>

#include "cli/cli.h"

int main(int argc, char *argv[])
{
#ifdef Q_OS_UNIX
    // A closed pipe (q275-cli trace | head) is a failed write, not the end of the process:
    // a trace must still switch the board off.
    std::signal(SIGPIPE, SIG_IGN);
#endif
    QCoreApplication app(argc, argv);
    // The same per-user places as the terminal: its board history above all.
    QCoreApplication::setOrganizationName(QStringLiteral("Veltrona"));
    QCoreApplication::setApplicationName(QStringLiteral("Terminal Q-275"));
    QList<QByteArray> args;
    for (int i = 1; i < argc; ++i)
        args << QByteArray(argv[i]);
    Cli cli(args);
    return cli.run();
}
