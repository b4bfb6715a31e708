#ifndef ABOUT_H
#define ABOUT_H

#include <QWidget>

#include "tq275.h"

class TThread;

// Placeholder until the window is built: it only knows how to ask to be closed.
class About : public QWidget
{
    Q_OBJECT

public:
    explicit About(QWidget *parent);

signals:
    void reqClose(bool ok);
};

#endif // ABOUT_H
