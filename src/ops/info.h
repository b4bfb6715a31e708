#ifndef INFO_H
#define INFO_H

#include <QWidget>

#include "tq275.h"

class TThread;

// Placeholder until the window is built: it only knows how to ask to be closed.
class Info : public QWidget
{
    Q_OBJECT

public:
    explicit Info(TThread *thread, quint8 mode);

signals:
    void reqClose(bool ok);
};

#endif // INFO_H
