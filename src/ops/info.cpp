#include "info.h"

Info::Info(TThread *thread, quint8 mode) : QWidget(nullptr)
{
    setAttribute(Qt::WA_DeleteOnClose);
    (void)thread;
    (void)mode;
}
