#ifndef ABOUT_H
#define ABOUT_H

#include "app/tworkwindow.h"

// The program's name, version and the maker's logo.
class About : public TWorkWindow
{
    Q_OBJECT

public:
    explicit About(QWidget *parent);
};

#endif // ABOUT_H
