#ifndef WINDOWCASE_H
#define WINDOWCASE_H

#include <QObject>

#include <memory>

#include "modalresponder.h"
#include "testsandbox.h"

class Q275;
class QAction;

// A test program of the main window. Each case starts with the program's settings names and a
// fresh sandbox and answering of modal boxes in place of the last case's; it ends with the
// main window it made (w; none: nothing) closed with its work windows, and deleted.
class WindowCase : public QObject
{
    Q_OBJECT

protected:
    std::unique_ptr<TestSandbox> box;
    std::unique_ptr<ModalResponder> modal;
    Q275 *w = nullptr;

    // The main window's action with this text; none: nullptr.
    QAction *act(const QString &text) const;

protected slots:
    void init();
    void cleanup();
};

#endif // WINDOWCASE_H
