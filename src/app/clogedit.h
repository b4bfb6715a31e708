#ifndef CLOGEDIT_H
#define CLOGEDIT_H

#include <QPlainTextEdit>

// The program log pane: a plain-text edit that starts 80 pixels high.
class CLogEdit : public QPlainTextEdit
{
public:
    explicit CLogEdit(QWidget *parent = nullptr);
    QSize sizeHint() const override;
};

#endif // CLOGEDIT_H
