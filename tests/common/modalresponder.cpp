#include "modalresponder.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>

ModalResponder::ModalResponder(QObject *parent) : QObject(parent)
{
    timer.setInterval(5);
    connect(&timer, &QTimer::timeout, this, &ModalResponder::poll);
    timer.start();
}

void ModalResponder::answerButton(const QString &buttonText)
{
    plans.append([buttonText](QWidget *w) {
        auto *box = qobject_cast<QMessageBox *>(w);
        if (!box) {
            w->close();
            return;
        }
        const QList<QAbstractButton *> buttons = box->buttons();
        for (QAbstractButton *b : buttons) {
            if (b->text() == buttonText) {
                b->click();
                return;
            }
        }
        box->reject(); // the planned button does not exist: the test will see it in `seen`
    });
}

void ModalResponder::answerFile(const QString &path)
{
    plans.append([path](QWidget *w) {
        auto *dlg = qobject_cast<QFileDialog *>(w);
        if (!dlg) {
            w->close();
            return;
        }
        if (path.isEmpty()) {
            dlg->reject();
            return;
        }
        // Type the whole path into the dialog's name field, as a user would.
        if (auto *edit = dlg->findChild<QLineEdit *>(QStringLiteral("fileNameEdit")))
            edit->setText(path);
        else
            dlg->selectFile(path);
        // done() rather than accept(): no overwrite question, the test chose the file
        static_cast<QDialog *>(dlg)->done(QDialog::Accepted);
    });
}

void ModalResponder::answerWith(const std::function<void(QWidget *)> &handler)
{
    plans.append(handler);
}

void ModalResponder::record(QWidget *w)
{
    Seen s;
    s.title = w->windowTitle();
    if (auto *box = qobject_cast<QMessageBox *>(w)) {
        s.kind = QStringLiteral("message");
        s.text = box->text();
        const QList<QAbstractButton *> buttons = box->buttons();
        for (QAbstractButton *b : buttons)
            s.buttons.append(b->text());
    } else if (auto *dlg = qobject_cast<QFileDialog *>(w)) {
        s.kind = QStringLiteral("file");
        s.text = dlg->windowTitle();
        s.nameFilter = dlg->nameFilters().join(QStringLiteral(";;"));
    } else {
        s.kind = QString::fromLatin1(w->metaObject()->className());
    }
    seen.append(s);
}

void ModalResponder::poll()
{
    QWidget *w = QApplication::activeModalWidget();
    if (!w || !w->isVisible() || w == lastHandled)
        return;
    lastHandled = w;
    record(w);
    if (!plans.isEmpty()) {
        auto plan = plans.takeFirst();
        // Answer from a fresh event so the dialog's own event loop is fully running.
        QTimer::singleShot(0, w, [w, plan] { plan(w); });
        return;
    }
    QTimer::singleShot(0, w, [w] {
        if (auto *box = qobject_cast<QMessageBox *>(w)) {
            if (box->escapeButton())
                box->escapeButton()->click();
            else
                box->reject();
        } else if (auto *dlg = qobject_cast<QDialog *>(w)) {
            dlg->reject();
        } else {
            w->close();
        }
    });
}
