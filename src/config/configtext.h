#ifndef CONFIGTEXT_H
#define CONFIGTEXT_H

#include <QByteArray>
#include <QCoreApplication>
#include <QList>
#include <QPair>
#include <QString>

#include "config/tq275.h"

// A configuration in words: one row per setting, in the units and texts the editors show
// (dB with one decimal, ms, on/off, the switching sources), and the comparison of two
// configurations that lists what differs, hiding no difference: bytes the rows do not
// show are compared in hex.
class ConfigText
{
    Q_DECLARE_TR_FUNCTIONS(ConfigText)

public:
    struct Row {
        QString groupKey;               // stable keys for machine-readable output:
        QString key;                    // "receiver" / "attenuator", ...
        QString group;                  // "Вход приемника"
        QString setting;                // "Аттенюатор"
        QString value;                  // "-6.0 дБ"
        QList<QPair<int, quint8>> bits; // the record bits (byte, mask) the value tells
    };
    struct Change {
        QString group, setting, from, to;
        // "group · setting: from → to"
        QString text() const;
    };

    // The values' words: translated, or the source texts, which are the same in every language
    // (for machine-readable output). The groups' and settings' names are always translated.
    enum Wording { Translated, Source };
    static QList<Row> rows(const TQ275 &cfg, Wording wording = Translated);

    // Two configurations as .obd images (822 bytes; a 20-byte record stands for the image
    // the program would write for it): the rows that differ, then each other byte that
    // differs (a reserved bit, a value beyond what the editors show, the file's header).
    static QList<Change> compare(const QByteArray &a, const QByteArray &b);
};

#endif // CONFIGTEXT_H
