#ifndef WINDOWCASE_H
#define WINDOWCASE_H

#include <QObject>

#include <memory>

#include "modalresponder.h"
#include "testsandbox.h"

class Q275;
class QAction;

// A test case of the main window. The start gives the program's settings names and a
// fresh sandbox and answering of modal boxes in place of the last case's; the end closes
// the main window the case made (none: nothing) with its work windows, and deletes it.
void startWindowCase(std::unique_ptr<TestSandbox> &box, std::unique_ptr<ModalResponder> &modal);
void endWindowCase(Q275 *&w);

// A test program of the main window whose cases start and end as above.
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
    void init() { startWindowCase(box, modal); }
    void cleanup() { endWindowCase(w); }
};

#endif // WINDOWCASE_H
