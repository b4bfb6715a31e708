#ifndef TINPTX_H
#define TINPTX_H

#include "config/tq275.h"
#include "editors/tinpchan.h"

// "Вход микрофона": the microphone input channel editor. It edits switching bits 0, 2,
// 5 and 7 and bytes 0 to 5 of the microphone block; live control goes to the codec's
// microphone registers and to the microphone channel control command.
class TInpTx : public TInpChan
{
    Q_OBJECT

public:
    // mode 0 only writes the defaults into the record and closes the window unseen.
    explicit TInpTx(TThread *thread, TQ275 *cfg, quint8 *mic, int mode);

public slots:
    void DialL1(int code) { attDialChanged(code); }
    void SpinL1(double db) { attSpinChanged(db); }
};

#endif // TINPTX_H
