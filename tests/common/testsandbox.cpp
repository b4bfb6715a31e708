#include "testsandbox.h"

#include <QDir>
#include <QSettings>

TestSandbox::TestSandbox() : startDir(QDir::currentPath())
{
    ok = dir.isValid() && QDir::setCurrent(dir.path());
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, dir.path());
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, dir.path());
}

TestSandbox::~TestSandbox()
{
    QDir::setCurrent(startDir);
}
