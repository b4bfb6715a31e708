#ifndef CLIHELP_H
#define CLIHELP_H

#include <QString>

// The help of q275-cli: the whole program's and each command's, in the language it speaks.
class CliHelp
{
public:
    static QString program();
    static QString command(const QString &name);
};

#endif // CLIHELP_H
