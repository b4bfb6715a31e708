#include "ops/history.h"

#include <QDesktopServices>
#include <QUrl>

#include "config/boardhistory.h"
#include "config/configtext.h"
#include "config/obdfile.h"
#include "ops/historyentries.h"
#include "ui_history.h"

namespace
{
enum { PathRole = Qt::UserRole };
}

History::History(std::function<const TQ275 *()> cur)
    : ui(new Ui::HistoryClass), current(std::move(cur)), entries(new HistoryEntries(this))
{
    ui->setupUi(this);
    ui->tableDiff->hide();
    ui->listEntries->setModel(entries);

    connect(ui->bClose, &QPushButton::clicked, this, &History::Quit);
    connect(ui->bOpen, &QPushButton::clicked, this, &History::Open);
    connect(ui->bCompare, &QPushButton::clicked, this, &History::Compare);
    connect(ui->bFolder, &QPushButton::clicked, this, &History::Folder);
    connect(ui->listEntries, &QListView::activated, this, &History::Open);

    const QList<BoardHistory::Board> boards = BoardHistory::boards();
    for (const BoardHistory::Board &b : boards) {
        auto *item = new QListWidgetItem(b.serial, ui->listBoards);
        item->setData(PathRole, b.path);
    }
    if (boards.isEmpty())
        ui->labDiff->setText(tr("История пуста: копии появятся после чтения или записи платы."));
    ui->listBoards->setCurrentRow(0);
    Board(ui->listBoards->currentRow()); // listed once; from here on a board chosen lists its own
    connect(ui->listBoards, &QListWidget::currentRowChanged, this, &History::Board);
}

History::~History() = default;

void History::Board(int row)
{
    const QListWidgetItem *board = ui->listBoards->item(row);
    const bool any = board != nullptr;
    entries->setBoard(any ? board->text() : QString());
    ui->listEntries->setCurrentIndex(entries->index(0));
    ui->bOpen->setEnabled(any);
    ui->bCompare->setEnabled(any);
    ui->bFolder->setEnabled(any);
}

QString History::entryPath() const
{
    return entries->path(ui->listEntries->currentIndex().row());
}

void History::say(const QString &text)
{
    ui->tableDiff->setRowCount(0);
    ui->tableDiff->hide();
    ui->labDiff->setText(text);
}

bool History::readEntry(const QString &path, TQ275 *entry, QByteArray *image)
{
    const ObdFile::Result result = ObdFile::load(path, entry, image);
    if (result != ObdFile::Ok) {
        say(ObdFile::message(result, path));
        return false;
    }
    if (!entry->isValid()) {
        say(tr("Запись повреждена: контрольная сумма конфигурации в ней неверна."));
        return false;
    }
    return true;
}

void History::Open()
{
    // The entry is checked here, before the current configuration is closed for it.
    const QString path = entryPath();
    TQ275 entry;
    if (!path.isEmpty() && readEntry(path, &entry, nullptr))
        emit openEntry(path);
}

void History::Compare()
{
    const QString path = entryPath();
    if (path.isEmpty())
        return;
    const TQ275 *cfg = current ? current() : nullptr;
    if (!cfg) {
        say(tr("Нет текущей конфигурации для сравнения."));
        return;
    }
    TQ275 entry;
    QByteArray image; // the whole image, header included: no difference is left out
    if (!readEntry(path, &entry, &image))
        return;
    const QList<ConfigText::Change> changes = ConfigText::compare(image, ObdFile::image(*cfg));
    if (changes.isEmpty()) {
        say(tr("Запись совпадает с текущей конфигурацией."));
        return;
    }
    say(tr("Отличия записи от текущей конфигурации:"));
    ui->tableDiff->setRowCount(int(changes.size()));
    for (int i = 0; i < changes.size(); ++i) {
        const ConfigText::Change &c = changes[i];
        const QString cells[4] = {c.group, c.setting, c.from, c.to};
        for (int col = 0; col < 4; ++col)
            ui->tableDiff->setItem(i, col, new QTableWidgetItem(cells[col]));
    }
    ui->tableDiff->resizeColumnsToContents();
    ui->tableDiff->show();
}

void History::Folder()
{
    const QListWidgetItem *board = ui->listBoards->currentItem();
    QDesktopServices::openUrl(
        QUrl::fromLocalFile(board ? board->data(PathRole).toString() : BoardHistory::root()));
}
