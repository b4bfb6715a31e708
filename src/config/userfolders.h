#ifndef USERFOLDERS_H
#define USERFOLDERS_H

#include <QString>

// The per-user folders of the terminal and q275-cli alike: the data folder (the board history,
// the demo board's records) and the configuration folder (Q275.ini when the working folder
// has none). When the environment variable Q275_USER_DIR names a folder, its "data" and
// "config" folders take their place: the tests keep everything they write in their sandbox.
class UserFolders
{
public:
    static QString data();
    static QString config();
};

#endif // USERFOLDERS_H
