#ifndef TESTSANDBOX_H
#define TESTSANDBOX_H

#include <QString>
#include <QTemporaryDir>

// A temporary working folder with its own settings store for one test case: "Q275.ini",
// saved files and the recent-file list all live in it, never in the user's own places.
// The earlier working folder comes back when the sandbox is destroyed.
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
    QString startDir;
    QTemporaryDir dir;
    bool ok = false;
};

#endif // TESTSANDBOX_H
