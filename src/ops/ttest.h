#ifndef TTEST_H
#define TTEST_H

#include "ops/tsendrecord.h"

// Sends a configuration to the board as a test configuration, which the board does not
// keep.
class TTest : public TSendRecord
{
    Q_OBJECT

public:
    TTest(TThread *thread, const TQ275 *cfg);
};

#endif // TTEST_H
