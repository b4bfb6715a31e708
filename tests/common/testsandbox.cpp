#include "testsandbox.h"

#include <QDir>
#include <QSettings>

namespace
{
// The sandboxes alive, and what was there before the first of them: a fixture may make the
// next case's sandbox before the last one is gone (box.reset(new TestSandbox)).
int alive = 0;
QString outerDir;
QByteArray outerUserDir;
} // namespace

TestSandbox::TestSandbox()
{
    if (alive++ == 0) {
        outerDir = QDir::currentPath();
        outerUserDir = qgetenv("Q275_USER_DIR");
    }
    ok = dir.isValid() && QDir::setCurrent(dir.path());
    qputenv("Q275_USER_DIR", QFile::encodeName(dir.path()));
    QSettings::setDefaultFormat(QSettings::IniFormat);
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, dir.path());
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, dir.path());
}

TestSandbox::~TestSandbox()
{
    if (--alive > 0)
        return;
    QDir::setCurrent(outerDir);
    qputenv("Q275_USER_DIR", outerUserDir);
}
