#ifndef WINDOWCASE_H
#define WINDOWCASE_H

#include <memory>

class ModalResponder;
class Q275;
class TestSandbox;

// A test case of the main window. The start gives the program's settings names and a
// fresh sandbox and answering of modal boxes in place of the last case's; the end closes
// the main window the case made (none: nothing) with its work windows, and deletes it.
void startWindowCase(std::unique_ptr<TestSandbox> &box, std::unique_ptr<ModalResponder> &modal);
void endWindowCase(Q275 *&w);

#endif // WINDOWCASE_H
