#ifndef TOUTPUT_H
#define TOUTPUT_H

#include "config/tq275.h"
#include "editors/teditor.h"

namespace Ui
{
class OutputClass;
}

// "Выход адаптера": switches the receiver and microphone signals on and off at the
// outputs on connector pins 3 and 8 and sets their levels. Each byte: bit 7 = on,
// bits 0-6 = output level code (118 = off).
class TOutput : public TEditor
{
    Q_OBJECT

public:
    // rxOut points at the receiver pair (pin 3, pin 8), micOut at the microphone pair.
    // mode 0 only writes the defaults into the bytes and closes the window unseen.
    explicit TOutput(TThread *thread, quint8 *rxOut, quint8 *micOut, int mode);
    ~TOutput() override;

    void Store(quint8 *rxPair, quint8 *micPair);
    void Fill() override;

public slots:
    void DialRx3(int code);
    void DialTx3(int code);
    void DialRx8(int code);
    void DialTx8(int code);

protected:
    void storeWork() override;
    void writeDefaults() override;
    void sendChanges(int mask) override;

private:
    Ui::OutputClass *ui;
    quint8 *rxOut;
    quint8 *micOut;
};

#endif // TOUTPUT_H
