#include "config/safesave.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace
{
// True when the whole of data went out. A buffered QSaveFile reports a failed write only
// at its flush, and commit() renames even then: so the device is unbuffered, the count
// is checked, and any error the device saw counts.
bool writeAll(QFileDevice &file, const QByteArray &data)
{
    return file.write(data) == data.size() && file.flush() && file.error() == QFileDevice::NoError;
}
} // namespace

SafeSave::Result SafeSave::save(const QString &path, const QByteArray &data)
{
    const QFileInfo target(path);
    // A FIFO, a device or a folder under the name is never written: opening it could
    // block for ever or write into something that is not a file.
    if (target.exists() && !target.isFile())
        return OpenFailed;

    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        // The folder takes no new file: a file the user may write is written in place.
        if (!target.exists() || !target.isWritable())
            return OpenFailed;
        return writeInPlace(path, data);
    }
#ifdef Q_OS_UNIX
    // The new file takes the place of the old one: give it the old one's mode and owner.
    struct stat st;
    if (target.exists() && ::stat(QFile::encodeName(path).constData(), &st) == 0) {
        (void)!::fchown(file.handle(), st.st_uid, st.st_gid);
        ::fchmod(file.handle(), st.st_mode & 07777);
    }
#endif
    if (writeAll(file, data) && file.commit())
        return Saved;
    file.cancelWriting(); // the temporary file goes; the old file stays
    return WriteFailed;
}

SafeSave::Result SafeSave::writeInPlace(const QString &path, const QByteArray &data)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return OpenFailed;
    const QByteArray old = file.readAll();
    file.close();
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return OpenFailed;
    if (writeAll(file, data))
        return Saved;
    // Its old bytes go back (they fitted before).
    file.close();
    if (file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        writeAll(file, old);
    return WriteFailed;
}

QString SafeSave::message(Result result, const QString &name)
{
    if (result == Saved)
        return QString();
    return (result == OpenFailed ? tr("Файл %1 не удалось открыть.")
                                 : tr("Файл %1 не удалось записать."))
        .arg(QDir::toNativeSeparators(name));
}
