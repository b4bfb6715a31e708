#include "toutput.h"

TOutput::TOutput(TThread *thread, quint8 *rxOut, quint8 *micOut, int mode) : QWidget(nullptr)
{
    setAttribute(Qt::WA_DeleteOnClose);
    (void)thread;
    (void)rxOut;
    (void)micOut;
    (void)mode;
}
