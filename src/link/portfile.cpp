#include "link/portfile.h"

#include <QFile>
#include <QFileInfo>
#include <QTextStream>

QString PortFile::fileName()
{
    return QStringLiteral("Q275.ini");
}

QString PortFile::read()
{
    QFile ini(fileName());
    if (!QFileInfo(ini).isFile() || !ini.open(QIODevice::ReadOnly | QIODevice::Text))
        return QString();
    QTextStream in(&ini);
    return in.readLine();
}

SafeSave::Result PortFile::write(const QString &port)
{
    return SafeSave::save(fileName(), port.toLocal8Bit());
}
