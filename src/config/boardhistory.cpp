#include "config/boardhistory.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QRegularExpression>

#include <algorithm>

#include "config/boardidentity.h"
#include "config/obdfile.h"
#include "config/safesave.h"
#include "config/userfolders.h"

namespace
{
const char kStamp[] = "yyyy-MM-dd_HH-mm-ss";

// "2012-03-05_14-30-00-read-2.obd": the time, the kind, and a number for a second entry.
bool readName(const QString &name, BoardHistory::Entry *e)
{
    static const QRegularExpression re(QStringLiteral(
        "^(\\d{4}-\\d\\d-\\d\\d_\\d\\d-\\d\\d-\\d\\d)-(read|write)(?:-(\\d+))?\\.obd$"));
    const QRegularExpressionMatch m = re.match(name);
    if (!m.hasMatch())
        return false;
    e->stamp = m.captured(1);
    e->kind =
        m.capturedView(2) == QLatin1String("write") ? BoardHistory::Write : BoardHistory::Read;
    e->number = m.hasCaptured(3) ? m.capturedView(3).toInt() : 1;
    return true;
}

// Each entry of the board's folder in turn, as the folder lists them; take(entry, name)
// fills in the path when it keeps the entry.
template <class Take> void forEachEntry(const QString &folder, Take take)
{
    QDirIterator it(folder, QDir::Files);
    BoardHistory::Entry e;
    while (it.hasNext()) {
        it.next();
        const QString name = it.fileName();
        if (readName(name, &e))
            take(e, name);
    }
}
} // namespace

QString BoardHistory::root()
{
    return UserFolders::data() + QStringLiteral("/history");
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

QDateTime BoardHistory::Entry::when() const
{
    return QDateTime::fromString(stamp, QLatin1String(kStamp));
}

bool BoardHistory::Entry::isNewerThan(const Entry &other) const
{
    const int byStamp = stamp.compare(other.stamp);
    return byStamp != 0 ? byStamp > 0 : number > other.number;
}

QList<BoardHistory::Entry> BoardHistory::entries(const QString &serial)
{
    const QString folder = root() + QLatin1Char('/') + serial + QLatin1Char('/');
    QList<Entry> list;
    forEachEntry(folder, [&](Entry &e, const QString &name) {
        e.path = folder + name;
        list.append(e);
    });
    std::sort(list.begin(), list.end(),
              [](const Entry &a, const Entry &b) { return a.isNewerThan(b); });
    return list;
}

QList<BoardHistory::Board> BoardHistory::boards()
{
    QList<Board> list;
    QDirIterator it(root(), QDir::Dirs | QDir::NoDotAndDotDot);
    while (it.hasNext()) {
        Board b{QString(), {}, it.next()};
        b.serial = it.fileName();
        QString newest; // the name of its newest entry, its path made once at the end
        forEachEntry(b.path, [&](const Entry &e, const QString &name) {
            if (newest.isEmpty() || e.isNewerThan(b.newest)) {
                b.newest = e;
                newest = name;
            }
        });
        if (newest.isEmpty())
            continue;
        b.newest.path = b.path + QLatin1Char('/') + newest;
        list.append(b);
    }
    std::sort(list.begin(), list.end(), [](const Board &a, const Board &b) {
        if (a.newest.stamp != b.newest.stamp)
            return a.newest.isNewerThan(b.newest);
        return a.serial < b.serial;
    });
    return list;
}
