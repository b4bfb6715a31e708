#ifndef SYSTEMERROR_H
#define SYSTEMERROR_H

#include <QCoreApplication>
#include <QString>

// The system's error texts as a technician reads them: a Russian reason where a common one
// fits, with the system's own words after it.
class SystemError
{
    Q_DECLARE_TR_FUNCTIONS(SystemError)

public:
    // A text the system gave (what Qt's errorString() says for an errno), explained; a text
    // that no common reason fits as it stands.
    static QString explain(const QString &system);
};

#endif // SYSTEMERROR_H
