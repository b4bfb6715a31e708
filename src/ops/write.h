#ifndef WRITE_H
#define WRITE_H

#include "ops/tsendrecord.h"

// Writes a configuration into the board, to keep.
class Write : public TSendRecord
{
    Q_OBJECT

public:
    Write(TThread *thread, TQ275 *cfg);
};

#endif // WRITE_H
