#include "about.h"

#include "ui_about.h"

About::About(QWidget *parent) : QWidget(parent), ui(new Ui::AboutClass)
{
    ui->setupUi(this);
    setAttribute(Qt::WA_DeleteOnClose);
    connect(ui->bClose, &QPushButton::clicked, this, &About::Quit);
}

About::~About()
{
    delete ui;
}

void About::Quit()
{
    emit reqClose(false);
}
