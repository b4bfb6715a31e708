#include "config/boardhistory.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStandardPaths>

#include <algorithm>

#include "config/boardidentity.h"
#include "config/obdfile.h"
#include "config/safesave.h"

namespace
{
const char kStamp[] = "yyyy-MM-dd_HH-mm-ss";

// "2012-03-05_14-30-00-read-2.obd": the time, the kind, and a number for a second entry.
const QRegularExpression &entryName()
{
    static const QRegularExpression re(QStringLiteral(
        "^(\\d{4}-\\d\\d-\\d\\d_\\d\\d-\\d\\d-\\d\\d)-(read|write)(?:-(\\d+))?\\.obd$"));
    return re;
}
} // namespace

QString BoardHistory::root()
{
    // QStandardPaths takes XDG_DATA_HOME as it stands, a relative value too, which would put
    // the history under whatever folder the program was started in. Only an absolute value
    // names a place; otherwise the per-user data folder is ~/.local/share.
    const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    QString app = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    if (QDir::isRelativePath(data))
        app = QDir::homePath() + QStringLiteral("/.local/share") + app.mid(data.size());
    return app + QStringLiteral("/history");
}

QString BoardHistory::serialOf(const quint8 *ident, const quint8 *info)
{
    const BoardIdentity board(ident, info);
    return board.supported() ? board.serialText() : QStringLiteral("unknown");
}

bool BoardHistory::keep(const TQ275 &cfg, const QString &serial, Kind kind, QString *path,
                        const QDateTime &when)
{
    const QString dir = root() + QLatin1Char('/') + serial;
    if (path)
        *path = dir;
    if (!QDir().mkpath(dir))
        return false;
    const QString stamp = dir + QLatin1Char('/') + when.toString(QString::fromLatin1(kStamp));
    auto nameOf = [&stamp](Kind k, int n) {
        return stamp + (k == Read ? QStringLiteral("-read") : QStringLiteral("-write")) +
               (n > 1 ? QStringLiteral("-%1").arg(n) : QString()) + QStringLiteral(".obd");
    };
    // The number orders the entries of one second, reads and writes alike. The name is
    // taken by creating it: another program keeping a copy in the same second (the terminal
    // and q275-cli) takes the next one instead of replacing this one.
    const Kind other = kind == Read ? Write : Read;
    QString name;
    for (int n = 1; name.isEmpty(); ++n) {
        if (QFileInfo::exists(nameOf(other, n)))
            continue;
        QFile taken(nameOf(kind, n));
        if (taken.open(QIODevice::WriteOnly | QIODevice::NewOnly))
            name = taken.fileName();
        else if (!taken.exists())
            return false; // the folder takes no file
    }
    if (path)
        *path = name;
    if (SafeSave::save(name, ObdFile::image(cfg)) == SafeSave::Saved)
        return true;
    QFile::remove(name); // no empty entry stays behind
    return false;
}

QList<BoardHistory::Entry> BoardHistory::entries(const QString &serial)
{
    QList<QPair<Entry, int>> found; // with its number within the second
    QDir dir(root() + QLatin1Char('/') + serial);
    const QStringList names = dir.entryList({QStringLiteral("*.obd")}, QDir::Files);
    for (const QString &n : names) {
        const QRegularExpressionMatch m = entryName().match(n);
        if (!m.hasMatch())
            continue;
        Entry e;
        e.when = QDateTime::fromString(m.captured(1), QString::fromLatin1(kStamp));
        e.kind = m.captured(2) == QLatin1String("write") ? Write : Read;
        e.path = dir.filePath(n);
        found.append({e, m.captured(3).isEmpty() ? 1 : m.captured(3).toInt()});
    }
    // Newest first; within one second the higher number is the newer entry.
    std::sort(found.begin(), found.end(), [](const auto &a, const auto &b) {
        if (a.first.when != b.first.when)
            return a.first.when > b.first.when;
        return a.second > b.second;
    });
    QList<Entry> list;
    for (const auto &f : found)
        list.append(f.first);
    return list;
}

QList<BoardHistory::Board> BoardHistory::boards()
{
    QList<Board> list;
    QDir dir(root());
    const QStringList names = dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString &n : names) {
        const QList<Entry> e = entries(n);
        if (!e.isEmpty())
            list.append({n, e.first().when, dir.filePath(n)});
    }
    std::sort(list.begin(), list.end(), [](const Board &a, const Board &b) {
        return a.newest != b.newest ? a.newest > b.newest : a.serial < b.serial;
    });
    return list;
}
