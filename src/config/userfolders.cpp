#include "config/userfolders.h"

#include <QDir>
#include <QStandardPaths>

namespace
{
// The program's folder of a kind: under Q275_USER_DIR when that is set, else where the system
// keeps it. QStandardPaths takes XDG_DATA_HOME and XDG_CONFIG_HOME as they stand, a relative
// value too, which would put the folder under whatever folder the program was started in:
// only an absolute value names a place, otherwise the folder is under the home folder.
QString folder(const char *sub, QStandardPaths::StandardLocation generic,
               QStandardPaths::StandardLocation app, const char *homeDefault)
{
    const QString override = qEnvironmentVariable("Q275_USER_DIR");
    if (!override.isEmpty())
        return override + QLatin1Char('/') + QLatin1String(sub);
    const QString base = QStandardPaths::writableLocation(generic);
    const QString own = QStandardPaths::writableLocation(app);
    if (!QDir::isRelativePath(base))
        return own;
    return QDir::homePath() + QLatin1String(homeDefault) + own.mid(base.size());
}
} // namespace

QString UserFolders::data()
{
    return folder("data", QStandardPaths::GenericDataLocation, QStandardPaths::AppDataLocation,
                  "/.local/share");
}

QString UserFolders::config()
{
    return folder("config", QStandardPaths::GenericConfigLocation,
                  QStandardPaths::AppConfigLocation, "/.config");
}
