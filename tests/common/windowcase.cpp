#include "windowcase.h"

#include <QAction>
#include <QCoreApplication>
#include <QMdiArea>

#include "app/q275.h"

void WindowCase::init()
{
    QCoreApplication::setOrganizationName(QStringLiteral("Veltrona"));
    QCoreApplication::setApplicationName(QStringLiteral("Terminal Q-275"));
    box.reset(); // the last case's sandbox puts its working folder back first
    box.reset(new TestSandbox);
    modal.reset(new ModalResponder);
}

void WindowCase::cleanup()
{
    if (!w)
        return;
    w->setAttribute(Qt::WA_DeleteOnClose, false);
    w->workArea()->closeAllSubWindows();
    delete w;
    w = nullptr;
}

QAction *WindowCase::act(const QString &text) const
{
    for (QAction *a : w->findChildren<QAction *>())
        if (a->text() == text)
            return a;
    return nullptr;
}
