#include "tinptx.h"

TInpTx::TInpTx(TThread *thread, TQ275 *cfg, quint8 *mic, int mode) : QWidget(nullptr)
{
    setAttribute(Qt::WA_DeleteOnClose);
    (void)thread;
    (void)cfg;
    (void)mic;
    (void)mode;
}
