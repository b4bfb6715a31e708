#include "link/portfile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTextStream>

#include "config/userfolders.h"
#include "link/systemerror.h"

QString PortFile::path()
{
    const QString here = QStringLiteral("Q275.ini");
    return QFileInfo::exists(here) ? here : UserFolders::config() + QLatin1Char('/') + here;
}

QString PortFile::fileName()
{
    return QDir::toNativeSeparators(path());
}

QString PortFile::read(QString *problem)
{
    if (problem)
        problem->clear();
    QFile ini(path());
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
    const QString file = path();
    QDir().mkpath(QFileInfo(file).path()); // the per-user folder may not be there yet
    return SafeSave::save(file, port.toLocal8Bit());
}
