#ifndef BOARDHISTORY_H
#define BOARDHISTORY_H

#include <QDateTime>
#include <QList>
#include <QString>

#include "config/tq275.h"

// Every configuration read from a board (and passing its checksum) and every one a board
// accepted in a write is kept as an ordinary .obd file, one folder per board:
//     <per-user data folder>/history/<serial number>/<yyyy-MM-dd_HH-mm-ss>-<read|write>.obd
// with "-2", "-3" before ".obd" for a second entry in the same second. A board without
// identity, or a write before any identity was read, goes under "unknown".
class BoardHistory
{
public:
    enum Kind { Read, Write };

    struct Entry {
        QString stamp;  // the time as its name holds it: yyyy-MM-dd_HH-mm-ss
        int number = 1; // its place among the entries of that second, reads and writes alike
        Kind kind = Read;
        QString path;

        // The time its name holds; invalid for a name that holds an impossible date or time
        // ("2021-02-30_25-61-61"), which is listed all the same, in its place as text.
        QDateTime when() const;
        // A later stamp (it sorts as text), or within one second the higher number.
        bool isNewerThan(const Entry &other) const;
    };
    struct Board {
        QString serial;
        Entry newest; // its newest entry
        QString path; // its folder
    };

    // The history's folder.
    static QString root();
    // The folder name of a board: its serial number as the information window shows it
    // (four digits at least) from the identity and board data records, or "unknown" for
    // a board without identity.
    static QString serialOf(const quint8 *ident18, const quint8 *info22);
    // Keeps cfg as a new entry. False when it could not be written; path then names the
    // file (or folder) that failed.
    static bool keep(const TQ275 &cfg, const QString &serial, Kind kind, QString *path = nullptr,
                     const QDateTime &when = QDateTime::currentDateTime());

    // The boards that hold an entry, the one with the newest entry first. Only the names
    // are read: no entry is opened, no time parsed.
    static QList<Board> boards();
    // The entries of one board, newest first; as boards(), from the names alone.
    static QList<Entry> entries(const QString &serial);
};

#endif // BOARDHISTORY_H
