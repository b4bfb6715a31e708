#ifndef HISTORY_H
#define HISTORY_H

#include <functional>
#include <memory>

#include "app/tworkwindow.h"
#include "config/tq275.h"

namespace Ui
{
class HistoryClass;
}
class HistoryEntries;

// The board history: the boards whose configurations were kept, the entries of the chosen
// one, and the comparison of an entry with the current configuration.
class History : public TWorkWindow
{
    Q_OBJECT

public:
    // current gives the current configuration (null while there is none).
    explicit History(std::function<const TQ275 *()> current);
    ~History() override;

signals:
    // The technician wants the entry as the current configuration.
    void openEntry(QString path);

public slots:
    void Open();
    void Compare();
    void Folder();
    void Board(int row);

private:
    QString entryPath() const;
    // The text under the lists, with no comparison shown.
    void say(const QString &text);
    // Reads the entry at path into entry (and its whole file into image, when asked for);
    // false, with the reason said, when it cannot be read or its record fails its checksum.
    bool readEntry(const QString &path, TQ275 *entry, QByteArray *image);

    std::unique_ptr<Ui::HistoryClass> ui;
    std::function<const TQ275 *()> current;
    HistoryEntries *entries; // owned as a child
};

#endif // HISTORY_H
