#ifndef TINPRX_H
#define TINPRX_H

#include "config/tq275.h"
#include "editors/tinpchan.h"

// "Вход приемника": the receiver input channel editor. It edits switching bits 1, 3,
// 4 and 6 and bytes 0 to 5 of the receiver block; live control goes to the codec's
// receiver registers and to the receiver channel control command. Here the attenuator
// can be set only while the amplifier is on.
class TInpRx : public TInpChan
{
    Q_OBJECT

public:
    // mode 0 only writes the defaults into the record and closes the window unseen.
    explicit TInpRx(TThread *thread, TQ275 *cfg, quint8 *rx, int mode);

public slots:
    void DialAtt(int code) { attDialChanged(code); }
    void SpinAtt(double db) { attSpinChanged(db); }
};

#endif // TINPRX_H
