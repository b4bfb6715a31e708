#ifndef PORTNAME_H
#define PORTNAME_H

#include <QCoreApplication>
#include <QString>

// What a port name may hold, and how a name is shown in a message. A name with a control
// character would be cut short by the system calls under the serial port (a NUL ends the
// device path and the name of its lock file), so it never gets that far.
class PortName
{
    Q_DECLARE_TR_FUNCTIONS(PortName)

public:
    // A device path is at most this long on the systems the program runs on; a message
    // shows at most ShownLength characters of a name.
    enum { MaxLength = 1024, ShownLength = 80 };

    // Why the name cannot name a port; empty when it can (and for an empty name, which
    // names no port at all).
    static QString problem(const QString &name);
    // The name for a message: each control character as \xHH, a long name cut short with "…".
    static QString shown(const QString &name);
};

#endif // PORTNAME_H
