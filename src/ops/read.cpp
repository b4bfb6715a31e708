#include "read.h"

Read::Read(TThread *thread, TQ275 *cfg) : QWidget(nullptr)
{
    setAttribute(Qt::WA_DeleteOnClose);
    (void)thread;
    (void)cfg;
}
