#include "trace.h"

Trace::Trace(QWidget *parent, TThread *thread) : QWidget(parent)
{
    (void)thread;
}
