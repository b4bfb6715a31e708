#include "dialogs/about.h"

#include "ui_about.h"

About::About(QWidget *parent) : TWorkWindow(parent)
{
    Ui::AboutClass ui; // the widgets belong to the window; the form is needed only here
    ui.setupUi(this);
    connect(ui.bClose, &QPushButton::clicked, this, &About::Quit);
}
