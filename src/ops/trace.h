#ifndef TRACE_H
#define TRACE_H

#include <QElapsedTimer>
#include <QStringList>
#include <QTimer>

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
    // How often lines go into the log, at the most: a line after a quiet spell goes in at
    // once, those of a fast stream together once a second (the time stamps count seconds).
    enum { ShowEveryMs = 1000 };
    // Lines that share a paragraph of the log, at the most.
    enum { ParagraphLines = 100 };

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
    void showPending();
    void dropOldest(int lines);
    QString timeStamp();

    std::unique_ptr<Ui::TraceClass> ui;
    TThread *thread;
    quint8 mask = 0;
    QStringList pending; // lines not yet in the log, newest first
    int shownLines = 0;  // lines in the log
    QTimer showTimer;
    QElapsedTimer stampClock; // since stampText was taken
    QString stampText;
    qint64 stampValidMs = 0; // how long stampText stays the time
};

#endif // TRACE_H
