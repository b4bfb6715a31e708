#include "tinprx.h"

TInpRx::TInpRx(TThread *thread, TQ275 *cfg, quint8 *rx, int mode) : QWidget(nullptr)
{
    setAttribute(Qt::WA_DeleteOnClose);
    (void)thread;
    (void)cfg;
    (void)rx;
    (void)mode;
}
