#ifndef PORTFILE_H
#define PORTFILE_H

#include <QCoreApplication>
#include <QString>

#include "config/safesave.h"

// "Q275.ini" in the working folder: the name of the port that leads to the RIB, alone on
// its first line. The terminal and the command-line tool take the port from it.
class PortFile
{
    Q_DECLARE_TR_FUNCTIONS(PortFile)

public:
    // At most this much of the file is read: a port name is short, and a file that is not
    // one must not hold the start.
    enum { MaxBytes = 4096 };

    static QString fileName();
    // The first line, without its line end and the blanks around the name; empty when the
    // file is absent or cannot be read. problem (if given) then says why the file could not
    // be read, as a whole sentence; it stays empty for a file that is simply absent.
    static QString read(QString *problem = nullptr);
    // The name alone, without a line end.
    static SafeSave::Result write(const QString &port);
};

#endif // PORTFILE_H
