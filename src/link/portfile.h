#ifndef PORTFILE_H
#define PORTFILE_H

#include <QString>

#include "config/safesave.h"

// "Q275.ini" in the working folder: the name of the port that leads to the RIB, alone on
// its first line. The terminal and the command-line tool take the port from it.
class PortFile
{
public:
    static QString fileName();
    // The first line, without its line end; empty when the file is absent or unreadable
    // (or is not a regular file: a FIFO under the name must not hold the start).
    static QString read();
    // The name alone, without a line end.
    static SafeSave::Result write(const QString &port);
};

#endif // PORTFILE_H
