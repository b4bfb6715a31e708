#ifndef TINPRX_H
#define TINPRX_H

#include <QWidget>

#include "tq275.h"

class TThread;

// Placeholder until the window is built: it only knows how to ask to be closed.
class TInpRx : public QWidget
{
    Q_OBJECT

public:
    explicit TInpRx(TThread *thread, TQ275 *cfg, quint8 *rx, int mode);
    void Store(quint8 *switching, quint8 *block) { (void)switching; (void)block; }

signals:
    void reqClose(bool ok);
};

#endif // TINPRX_H
