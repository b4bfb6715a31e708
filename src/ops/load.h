#ifndef LOAD_H
#define LOAD_H

#include "ops/tprogress.h"

class TThread;

// Shows the course of loading controller software into the board. The link has
// no software-load operation yet, so nothing drives these slots from the thread:
// the window waits for the device until the user cancels it.
class Load : public TProgress
{
    Q_OBJECT

public:
    // Takes over romData (allocated with new[]) and releases it before returning.
    Load(TThread *thread, quint8 *romData, int romSize);

public slots:
    void Start(quint16 type);
    void Check();
    void Stop();
    void Error();
    void Progress(quint32 sent);

private:
    QString ctrlName;
};

#endif // LOAD_H
