#ifndef LOAD_H
#define LOAD_H

#include <QWidget>

#include "tq275.h"

class TThread;

// Placeholder until the window is built: it only knows how to ask to be closed.
class Load : public QWidget
{
    Q_OBJECT

public:
    explicit Load(TThread *thread, quint8 *romData, int romSize);

signals:
    void reqClose(bool ok);
};

#endif // LOAD_H
