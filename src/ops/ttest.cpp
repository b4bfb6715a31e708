#include "ttest.h"

TTest::TTest(TThread *thread, const TQ275 *cfg) : QWidget(nullptr)
{
    setAttribute(Qt::WA_DeleteOnClose);
    (void)thread;
    (void)cfg;
}
