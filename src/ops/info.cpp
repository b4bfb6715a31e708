#include "ops/info.h"

#include <cstring>

#include "config/boardidentity.h"
#include "link/tthread.h"
#include "ui_info.h"

Info::Info(TThread *thread, quint8 mode) : ui(new Ui::InfoClass)
{
    ui->setupUi(this);
    this->thread = thread;

    ui->eData->hide();
    ui->spinNum->hide();
    ui->bSave->hide();

    if (mode == 0) {
        // Not an interactive window: a blank record with today's date.
        const QDate today = QDate::currentDate();
        info[2] = quint8(today.year() & 0xFF);
        info[3] = quint8(today.year() >> 8);
        info[4] = quint8(today.month());
        info[5] = quint8(today.day());
        return;
    }

    quint8 id[BoardIdentity::IdentSize] = {};
    quint8 data[BoardIdentity::InfoSize] = {};
    if (thread) {
        thread->getIdent(id);
        thread->getInfo(data);
    }
    setRecords(id, data);

    if (mode == 3 || mode == 10) {
        const QList<QWidget *> editors = {ui->eData, ui->spinNum, ui->bSave};
        for (QWidget *w : editors) {
            w->show();
            w->setEnabled(true);
        }
    }

    connect(ui->bClose, &QPushButton::clicked, this, &Info::Quit);
    connect(ui->bSave, &QPushButton::clicked, this, &Info::Save);
    connect(ui->spinNum, &QSpinBox::valueChanged, this, &Info::setNumber);
    connect(ui->eData, &QDateEdit::dateChanged, this, &Info::setDate);
}

Info::~Info() = default;

void Info::setRecords(const quint8 *id, const quint8 *data)
{
    std::memcpy(ident, id, sizeof ident);
    std::memcpy(info, data, sizeof info);
    // Version 0: the board gave no identity, and the board data the thread
    // holds (if any) belong to an earlier board. Never write those back.
    if (ident[0] == 0)
        std::memset(info, 0, sizeof info);
    showRecords();
}

void Info::showRecords()
{
    // Filling the editors is not an edit.
    const QSignalBlocker blockSpin(ui->spinNum);
    const QSignalBlocker blockDate(ui->eData);

    const BoardIdentity board(ident, info);
    ui->sSoft->setText(board.version());

    if (board.supported()) {
        ui->spinNum->setValue(board.serial());
        // The board's own number, even where the spin box cannot hold it.
        ui->sNum->setText(board.serialText());

        const QDate date(board.year(), board.month(), board.day());
        if (date.isValid())
            ui->eData->setDate(date);
        else
            clearDate();
        ui->sDate->setText(board.dateText());

        ui->sChipID->setText(board.chipId());
        ui->sChipRev->setText(board.chipRev());
        ui->sEsn->setText(board.esn());
    } else {
        const QString none = tr("Не поддерживается");
        ui->sNum->setText(none);
        ui->sDate->setText(none);
        ui->sChipID->setText(none);
        ui->sChipRev->setText(none);
        ui->sEsn->setText(none);
        clearDate();
    }

    spinShown = ui->spinNum->value();
    dateShown = ui->eData->date();
}

// A date edit always holds some date: the blank special text stands for none.
void Info::clearDate()
{
    ui->eData->setSpecialValueText(QStringLiteral(" "));
    ui->eData->setDate(ui->eData->minimumDate());
}

void Info::Quit()
{
    emit reqClose(true);
}

void Info::Save()
{
    // A field the technician left alone keeps the board's value: the editors
    // cannot hold every value a board may report (a number above the spin
    // box's range, a date that is not a calendar date).
    if (ui->spinNum->value() != spinShown) {
        const quint16 number = quint16(ui->spinNum->value());
        info[0] = quint8(number & 0xFF);
        info[1] = quint8(number >> 8);
    }
    const QDate date = ui->eData->date();
    if (date != dateShown && date.isValid()) {
        info[2] = quint8(date.year() & 0xFF);
        info[3] = quint8(date.year() >> 8);
        info[4] = quint8(date.month());
        info[5] = quint8(date.day());
    }
    spinShown = ui->spinNum->value();
    dateShown = date;

    if (thread)
        thread->postInfo(info, sizeof info);
}

void Info::setNumber(int number)
{
    ui->sNum->setText(BoardIdentity::numberText(number));
}

void Info::setDate(const QDate &date)
{
    ui->sDate->setText(BoardIdentity::dateText(date.day(), date.month(), date.year()));
}
