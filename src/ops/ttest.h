#ifndef TTEST_H
#define TTEST_H

#include <QWidget>

#include "tq275.h"

class TThread;

// Placeholder until the window is built: it only knows how to ask to be closed.
class TTest : public QWidget
{
    Q_OBJECT

public:
    explicit TTest(TThread *thread, const TQ275 *cfg);

signals:
    void reqClose(bool ok);
};

#endif // TTEST_H
