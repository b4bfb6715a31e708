#include "app/clogedit.h"

CLogEdit::CLogEdit(QWidget *parent) : QPlainTextEdit(parent) {}

QSize CLogEdit::sizeHint() const
{
    return QSize(width(), 80);
}
