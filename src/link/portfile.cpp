#include "link/portfile.h"

#include <QFile>
#include <QFileInfo>
#include <QTextStream>

#include "link/systemerror.h"

QString PortFile::fileName()
{
    return QStringLiteral("Q275.ini");
}

QString PortFile::read(QString *problem)
{
    if (problem)
        problem->clear();
    QFile ini(fileName());
    const QFileInfo info(ini);
    if (!info.exists())
        return QString();
    QString why;
    QByteArray head;
    if (info.isDir())
        why = tr("это папка");
    else if (!info.isFile()) // a FIFO under the name must not hold the start
        why = tr("это не обычный файл");
    else if (ini.open(QIODevice::ReadOnly))
        head = ini.read(MaxBytes);
    if (why.isEmpty() && ini.error() != QFileDevice::NoError)
        why = SystemError::explain(ini.errorString());
    if (!why.isEmpty()) {
        if (problem)
            *problem = tr("Файл %1 не удалось прочитать: %2").arg(fileName(), why);
        return QString();
    }
    QTextStream in(head);
    return in.readLine().trimmed();
}

SafeSave::Result PortFile::write(const QString &port)
{
    return SafeSave::save(fileName(), port.toLocal8Bit());
}
