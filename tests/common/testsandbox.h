#ifndef TESTSANDBOX_H
#define TESTSANDBOX_H

#include <QString>
#include <QTemporaryDir>

// A temporary working folder for one test case, with the per-user folders and the settings
// store inside it: "Q275.ini", saved files, the board history, the demo board's records and
// the recent-file list all live in it, never in the user's own places (on Windows neither,
// where the settings would be the registry's). The earlier working folder and per-user
// folders come back when the last sandbox is destroyed.
class TestSandbox
{
public:
    TestSandbox();
    ~TestSandbox();
    TestSandbox(const TestSandbox &) = delete;
    TestSandbox &operator=(const TestSandbox &) = delete;

    bool isValid() const { return ok; }
    QString path() const { return dir.path(); }
    QString filePath(const QString &name) const { return dir.filePath(name); }

private:
    QTemporaryDir dir;
    bool ok = false;
};

#endif // TESTSANDBOX_H
