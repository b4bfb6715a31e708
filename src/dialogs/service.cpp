#include "dialogs/service.h"

#include "ui_service.h"

namespace
{
struct Code {
    const char *text;
    int mode;
};

const Code codes[] = {
    {"Mint_Harbour", 1},  {"Quill_Orchard", 2},   {"Kappa_Lantern", 3}, {"Birch_Tempest", 4},
    {"Amber_Castles", 5}, {"Granite_Pelican", 6}, {"Fern_Compass", 10},
};
} // namespace

Service::Service(QWidget *parent) : QDialog(parent), ui(new Ui::ServiceClass)
{
    ui->setupUi(this);
    connect(ui->bClose, &QPushButton::clicked, this, &Service::Quit);
    connect(ui->bSet, &QPushButton::clicked, this, &Service::Set);
}

Service::~Service()
{
    delete ui;
}

int Service::modeOf(const QString &code)
{
    for (const Code &c : codes) {
        if (code == QLatin1String(c.text))
            return c.mode;
    }
    return 0;
}

void Service::Quit()
{
    reject();
}

void Service::Set()
{
    svcMode = modeOf(ui->eCode->text());
    if (svcMode == 0)
        reject();
    else
        accept();
}
