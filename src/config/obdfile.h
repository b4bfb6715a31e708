#ifndef OBDFILE_H
#define OBDFILE_H

#include <QByteArray>
#include <QCoreApplication>
#include <QString>

#include "config/tq275.h"

// The ".obd" configuration file: an 802-byte header with its own checksum,
// followed by the 20-byte configuration record.
class ObdFile
{
    Q_DECLARE_TR_FUNCTIONS(ObdFile)

public:
    enum { Size = 822, HeaderSize = 802, HeaderChecksumAt = 68 };
    enum Result { Ok, WrongSize, BadHeaderChecksum, OpenFailed, ReadFailed };

    // The whole 822-byte file image for the record, as it stands.
    static QByteArray image(const TQ275 &cfg);

    // Checks a file image and, when it passes, copies its record into cfg.
    // Only the size and the header checksum are examined; cfg is untouched on failure.
    static Result parse(const QByteArray &data, TQ275 *cfg);

    // Reads the file at path into cfg (untouched on failure). Anything but a regular file
    // (a FIFO, a device, a socket) is refused as WrongSize before it is opened, so that
    // reading never blocks. The file's whole image goes to image when asked for.
    static Result load(const QString &path, TQ275 *cfg, QByteArray *image = nullptr);
    // What the terminal tells the technician of a failed load: "Файл NAME" and the reason,
    // or the header checksum text alone.
    static QString message(Result result, const QString &name);
    // What the terminal logs, and q275-cli prints, once a configuration went into the file.
    static QString savedMessage(const QString &name);
};

#endif // OBDFILE_H
