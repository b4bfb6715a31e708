#ifndef TINPTX_H
#define TINPTX_H

#include <QWidget>

#include "tq275.h"

class TThread;

// Placeholder until the window is built: it only knows how to ask to be closed.
class TInpTx : public QWidget
{
    Q_OBJECT

public:
    explicit TInpTx(TThread *thread, TQ275 *cfg, quint8 *mic, int mode);
    void Store(quint8 *switching, quint8 *block) { (void)switching; (void)block; }

signals:
    void reqClose(bool ok);
};

#endif // TINPTX_H
