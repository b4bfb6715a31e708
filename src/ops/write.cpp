#include "write.h"

Write::Write(TThread *thread, TQ275 *cfg) : QWidget(nullptr)
{
    setAttribute(Qt::WA_DeleteOnClose);
    (void)thread;
    (void)cfg;
}
