#ifndef HISTORYENTRIES_H
#define HISTORYENTRIES_H

#include <QAbstractListModel>
#include <QList>

#include "config/boardhistory.h"

// The entries of one board as the history window lists them, newest first. A row's text
// is made only when the list shows the row, so a board of thousands of entries opens as
// fast as its folder can be listed.
class HistoryEntries : public QAbstractListModel
{
    Q_OBJECT

public:
    using QAbstractListModel::QAbstractListModel;

    // Lists the entries of the board; none for an empty serial.
    void setBoard(const QString &serial);
    // The file of the entry in the row; empty when there is no such row.
    QString path(int row) const;

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;

private:
    QList<BoardHistory::Entry> entries;
};

#endif // HISTORYENTRIES_H
