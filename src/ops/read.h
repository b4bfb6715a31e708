#ifndef READ_H
#define READ_H

#include "config/tq275.h"
#include "ops/tprogress.h"

class TThread;

// Reads the adapter's configuration from the board into the record the main
// window allocated for it, following each answer frame on the progress bar.
class Read : public TProgress
{
    Q_OBJECT

public:
    Read(TThread *thread, TQ275 *cfg);

    // The board sent a record that failed its checksum; the target record was left as it was.
    bool isDamaged() const { return damaged; }

public slots:
    void Config(TQ275 *cfg);
    void Error();
    void BarMax(qint32 max);
    void BarCnt(qint32 cnt);

private:
    TQ275 *target; // not owned
    bool damaged = false;
};

#endif // READ_H
