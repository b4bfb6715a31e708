#include "app/tworkwindow.h"

TWorkWindow::TWorkWindow(QWidget *parent, Closing closing) : QWidget(parent)
{
    setAttribute(Qt::WA_DeleteOnClose, closing == DeleteOnClose);
}

TWorkWindow::~TWorkWindow()
{
    disconnect(this, &TWorkWindow::reqClose, nullptr, nullptr);
}

void TWorkWindow::Quit()
{
    emit reqClose(false);
}
