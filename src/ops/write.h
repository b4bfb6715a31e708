#ifndef WRITE_H
#define WRITE_H

#include "tprogress.h"
#include "tq275.h"

class TThread;

// Writes a configuration into the board. The window keeps its own copy of the
// record it was given and posts the save task from it.
class Write : public TProgress
{
    Q_OBJECT

public:
    Write(TThread *thread, TQ275 *cfg);

public slots:
    void Stop();
    void Error();
    void BarMax(quint32 max);
    void BarCnt(quint32 cnt);

private:
    void fail();

    TQ275 copy;
};

#endif // WRITE_H
