#ifndef MODALRESPONDER_H
#define MODALRESPONDER_H

#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <functional>

class QWidget;

// Answers the modal message boxes and dialogs a test provokes, so that no test ever
// waits on one. Planned answers are used in order; a modal widget that appears with
// no answer planned is recorded and dismissed (Escape for a message box, reject for a
// dialog), so a test can assert that nothing was asked.
class ModalResponder : public QObject
{
public:
    struct Seen {
        QString kind;  // "message", "file" or the class name of another dialog
        QString title; // window title
        QString text;  // message text, or the file dialog's caption
        QStringList buttons;
        QString nameFilter; // file dialogs: the filters joined by ";;"
    };

    explicit ModalResponder(QObject *parent = nullptr);

    // The next message box: click the button with this text (e.g. "&Да", "&Нет", "OK").
    void answerButton(const QString &buttonText);
    // The next file dialog: choose this path; an empty path cancels the dialog.
    void answerFile(const QString &path);
    // The next modal widget of any kind is handed to this function, which must close it.
    void answerWith(const std::function<void(QWidget *)> &handler);

    int pending() const { return int(plans.size()); }
    QList<Seen> seen;

private:
    void poll();
    void record(QWidget *w);

    QList<std::function<void(QWidget *)>> plans;
    QTimer timer;
    QPointer<QWidget> lastHandled;
};

#endif // MODALRESPONDER_H
