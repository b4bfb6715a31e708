#include "ops/historyentries.h"

#include <QFileInfo>

void HistoryEntries::setBoard(const QString &serial)
{
    beginResetModel();
    entries = serial.isEmpty() ? QList<BoardHistory::Entry>() : BoardHistory::entries(serial);
    endResetModel();
}

QString HistoryEntries::path(int row) const
{
    return row >= 0 && row < entries.size() ? entries[row].path : QString();
}

int HistoryEntries::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(entries.size());
}

QVariant HistoryEntries::data(const QModelIndex &index, int role) const
{
    if (role != Qt::DisplayRole || !index.isValid() || index.row() >= entries.size())
        return QVariant();
    const BoardHistory::Entry &e = entries[index.row()];
    // A name that holds an impossible time is shown as it stands.
    const QDateTime when = e.when();
    if (!when.isValid())
        return QFileInfo(e.path).fileName();
    const QString time = when.toString(QStringLiteral("dd.MM.yyyy HH:mm:ss"));
    return e.kind == BoardHistory::Read ? tr("%1  чтение").arg(time) : tr("%1  запись").arg(time);
}
