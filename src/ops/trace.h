#ifndef TRACE_H
#define TRACE_H

#include <QWidget>

#include "tq275.h"

class TThread;

// Placeholder until the window is built: it only knows how to ask to be closed.
class Trace : public QWidget
{
    Q_OBJECT

public:
    explicit Trace(QWidget *parent, TThread *thread);

signals:
    void reqClose(bool ok);
};

#endif // TRACE_H
