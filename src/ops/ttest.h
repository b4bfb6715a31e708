#ifndef TTEST_H
#define TTEST_H

#include "tprogress.h"
#include "tq275.h"

class TThread;

// Sends a configuration to the board as a test configuration (not stored by the
// board). The record is copied at construction: later edits do not change it.
class TTest : public TProgress
{
    Q_OBJECT

public:
    TTest(TThread *thread, const TQ275 *cfg);

public slots:
    void Stop();
    void Error();
    void BarMax(quint32 max);
    void BarCnt(quint32 cnt);

private:
    void fail();

    TQ275 copy;
};

#endif // TTEST_H
