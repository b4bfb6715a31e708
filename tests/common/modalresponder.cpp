#include "modalresponder.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>

ModalResponder::ModalResponder()
{
    connect(&timer, &QTimer::timeout, this, &ModalResponder::poll);
    timer.start(5);
}

void ModalResponder::answerButton(const QString &text)
{
    plans.append([text](QWidget *w) {
        if (auto *box = qobject_cast<QMessageBox *>(w)) {
            const QList<QAbstractButton *> buttons = box->buttons();
            for (QAbstractButton *b : buttons)
                if (b->text() == text)
                    return b->click();
        }
        w->close(); // not the box planned for: the test sees it in `seen`
    });
}

void ModalResponder::answerFile(const QString &path)
{
    plans.append([path](QWidget *w) {
        auto *dlg = qobject_cast<QFileDialog *>(w);
        if (!dlg || path.isEmpty()) {
            w->close();
            return;
        }
        // The whole path typed into the name field, as a user would.
        if (auto *edit = dlg->findChild<QLineEdit *>(QStringLiteral("fileNameEdit")))
            edit->setText(path);
        else
            dlg->selectFile(path);
        dlg->QDialog::done(QDialog::Accepted); // no overwrite question: the test chose
    });
}

void ModalResponder::answerWith(const std::function<void(QWidget *)> &handler)
{
    plans.append(handler);
}

QStringList ModalResponder::texts() const
{
    QStringList out;
    for (const Seen &s : seen)
        out << s.text;
    return out;
}

void ModalResponder::poll()
{
    QWidget *w = QApplication::activeModalWidget();
    if (!w || !w->isVisible() || w == last)
        return;
    last = w;
    Seen s{QString::fromLatin1(w->metaObject()->className()), w->windowTitle(), {}, {}, {}};
    if (auto *box = qobject_cast<QMessageBox *>(w)) {
        s.kind = QStringLiteral("message");
        s.text = box->text();
        for (QAbstractButton *b : box->buttons())
            s.buttons << b->text();
    } else if (auto *dlg = qobject_cast<QFileDialog *>(w)) {
        s.kind = QStringLiteral("file");
        s.text = dlg->windowTitle();
        s.filter = dlg->nameFilters().join(QStringLiteral(";;"));
    }
    seen.append(s);
    const auto plan = plans.isEmpty() ? std::function<void(QWidget *)>() : plans.takeFirst();
    // From a fresh event, so that the dialog's own event loop is running.
    QTimer::singleShot(0, w, [w, plan] {
        if (plan)
            return plan(w);
        auto *box = qobject_cast<QMessageBox *>(w);
        if (box && box->escapeButton())
            box->escapeButton()->click();
        else
            w->close();
    });
}
