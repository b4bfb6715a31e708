#ifndef WRITE_H
#define WRITE_H

#include <QWidget>

#include "tq275.h"

class TThread;

// Placeholder until the window is built: it only knows how to ask to be closed.
class Write : public QWidget
{
    Q_OBJECT

public:
    explicit Write(TThread *thread, TQ275 *cfg);

signals:
    void reqClose(bool ok);
};

#endif // WRITE_H
