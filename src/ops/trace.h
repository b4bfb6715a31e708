#ifndef TRACE_H
#define TRACE_H

#include <memory>

#include "app/tworkwindow.h"

class TThread;

namespace Ui
{
class TraceClass;
}

// Trace monitor: switches the board's trace streams on and off and shows every
// trace record as one time-stamped line, newest on top.
class Trace : public TWorkWindow
{
    Q_OBJECT

public:
    // Channel mask bits, one per trace stream.
    enum { MaskRad = 0x01, MaskI2C = 0x02, MaskRxP = 0x04, MaskTxP = 0x08 };
    // Lines the monitor keeps; older ones drop off the bottom, so a trace left running
    // for hours does not grow without bound.
    enum { MaxLines = 5000 };

    explicit Trace(QWidget *parent, TThread *thread);
    ~Trace() override;

public slots:
    void Clear();
    void Error();
    void Run(bool on);
    void ChkRad(bool on);
    void ChkI2C(bool on);
    void ChkRxP(bool on);
    void ChkTxP(bool on);
    void Data(quint8 *rec);

private:
    void setMaskBit(quint8 bit, bool on);
    void poll();
    void addLine(const QString &line);

    std::unique_ptr<Ui::TraceClass> ui;
    TThread *thread;
    quint8 mask = 0;
};

#endif // TRACE_H
