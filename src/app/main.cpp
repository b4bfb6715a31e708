#include <QApplication>

#include "app/q275.h"

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("Veltrona"));
    QCoreApplication::setApplicationName(QStringLiteral("Terminal Q-275"));
    auto *window = new Q275; // deletes itself when closed
    window->show();
    return app.exec();
}
