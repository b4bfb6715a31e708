#include "load.h"

Load::Load(TThread *thread, quint8 *romData, int romSize) : QWidget(nullptr)
{
    setAttribute(Qt::WA_DeleteOnClose);
    (void)thread;
    (void)romData;
    (void)romSize;
}
