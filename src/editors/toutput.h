#ifndef TOUTPUT_H
#define TOUTPUT_H

#include <QWidget>

#include "tq275.h"

class TThread;

// Placeholder until the window is built: it only knows how to ask to be closed.
class TOutput : public QWidget
{
    Q_OBJECT

public:
    explicit TOutput(TThread *thread, quint8 *rxOut, quint8 *micOut, int mode);
    void Store(quint8 *rxPair, quint8 *micPair) { (void)rxPair; (void)micPair; }

signals:
    void reqClose(bool ok);
};

#endif // TOUTPUT_H
