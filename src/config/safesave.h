#ifndef SAFESAVE_H
#define SAFESAVE_H

#include <QByteArray>
#include <QCoreApplication>
#include <QString>

// The one way the program writes a file: the new bytes replace the old file only when
// every one of them has been written, so a full disk, a quota or a failing device never
// leaves a cut or empty file behind. The file keeps its permissions and, where the user
// may keep it, its owner. In a folder the user may not write, a file the user may write
// is written in place (the old bytes are put back if that write fails).
class SafeSave
{
    Q_DECLARE_TR_FUNCTIONS(SafeSave)

public:
    enum Result {
        Saved,
        OpenFailed, // the file could not be created or opened (or is not a regular file)
        WriteFailed // the bytes did not all get written; the old file is as it was
    };

    static Result save(const QString &path, const QByteArray &data);
    // What the technician is told of a save that failed: "Файл NAME" and the reason.
    static QString message(Result result, const QString &name);

private:
    static Result writeInPlace(const QString &path, const QByteArray &data);
};

#endif // SAFESAVE_H
