#ifndef OBDFILE_H
#define OBDFILE_H

#include <QByteArray>

#include "tq275.h"

// The ".obd" configuration file: an 802-byte header with its own checksum,
// followed by the 20-byte configuration record.
class ObdFile
{
public:
    enum { Size = 822, HeaderSize = 802, HeaderChecksumAt = 68 };
    enum Result { Ok, WrongSize, BadHeaderChecksum };

    // The whole 822-byte file image for the record, as it stands.
    static QByteArray image(const TQ275 &cfg);

    // Checks a file image and, when it passes, copies its record into cfg.
    // Only the size and the header checksum are examined; cfg is untouched on failure.
    static Result parse(const QByteArray &data, TQ275 *cfg);
};

#endif // OBDFILE_H
