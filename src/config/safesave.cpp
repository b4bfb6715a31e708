#include "safesave.h"

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

    // In a folder that takes no new file, the file itself is written in place; should
    // that fail, its old bytes are put back.
    QByteArray old;
    const bool inPlace = target.exists() && !QFileInfo(target.absolutePath()).isWritable();
    if (inPlace) {
        QFile f(path);
        if (!f.open(QIODevice::ReadOnly))
            return OpenFailed;
        old = f.readAll();
    }

    bool written = false;
    {
        QSaveFile file(path);
        file.setDirectWriteFallback(true);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
            return OpenFailed;
#ifdef Q_OS_UNIX
        // The new file takes the place of the old one: give it the old one's mode and owner.
        struct stat st;
        if (!inPlace && target.exists() && ::stat(QFile::encodeName(path).constData(), &st) == 0) {
            (void)!::fchown(file.handle(), st.st_uid, st.st_gid);
            ::fchmod(file.handle(), st.st_mode & 07777);
        }
#endif
        written = writeAll(file, data) && file.commit();
        if (!written)
            file.cancelWriting(); // the temporary file goes; the old file stays
    }
    if (!written && inPlace) {
        QFile back(path);
        if (back.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
            writeAll(back, old);
    }
    return written ? Saved : WriteFailed;
}
