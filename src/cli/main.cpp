#include <QCoreApplication>

#include "cli.h"

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    // The same per-user places as the terminal: its board history above all.
    QCoreApplication::setOrganizationName(QStringLiteral("Veltrona"));
    QCoreApplication::setApplicationName(QStringLiteral("Terminal Q-275"));
    Cli cli(QCoreApplication::arguments().mid(1));
    return cli.run();
}
