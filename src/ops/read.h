#ifndef READ_H
#define READ_H

#include <QWidget>

#include "tq275.h"

class TThread;

// Placeholder until the window is built: it only knows how to ask to be closed.
class Read : public QWidget
{
    Q_OBJECT

public:
    explicit Read(TThread *thread, TQ275 *cfg);

signals:
    void reqClose(bool ok);
};

#endif // READ_H
