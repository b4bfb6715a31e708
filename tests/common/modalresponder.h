#ifndef MODALRESPONDER_H
#define MODALRESPONDER_H

#include <QList>
#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QTimer>

#include <functional>

class QWidget;

// Answers the modal boxes and dialogs a test provokes, so that no test waits on one.
// Planned answers are used in order; a modal widget with no answer planned is recorded
// and dismissed (Escape, or reject), so a test can tell that nothing was asked.
class ModalResponder : public QObject
{
public:
    struct Seen {
        QString kind;  // "message", "file" or the class name of another dialog
        QString title; // window title
        QString text;  // message text, or the file dialog's caption
        QStringList buttons;
        QString filter; // file dialogs: the name filters joined by ";;"
    };

    ModalResponder();

    // The next message box: click the button with this text ("&Да", "&Нет", "OK").
    void answerButton(const QString &text);
    // The next file dialog: choose this path; an empty path cancels.
    void answerFile(const QString &path);
    // The next modal widget is handed to this function, which must close it.
    void answerWith(const std::function<void(QWidget *)> &handler);

    QList<Seen> seen;
    // The text of each modal widget seen, in order.
    QStringList texts() const;

private:
    void poll();

    QList<std::function<void(QWidget *)>> plans;
    QTimer timer;
    QPointer<QWidget> last;
};

#endif // MODALRESPONDER_H
