#ifndef BOARDIDENTITY_H
#define BOARDIDENTITY_H

#include <QCoreApplication>
#include <QString>

#include "config/hextext.h"

// What a board reports about itself, as the information window shows it: the 18-byte
// identity record (software version, microcontroller ID, revision and serial number) and
// the 22-byte board data record (serial number and production date, little-endian).
class BoardIdentity
{
    Q_DECLARE_TR_FUNCTIONS(BoardIdentity)

public:
    enum { IdentSize = 18, InfoSize = 22 };

    BoardIdentity(const quint8 *ident, const quint8 *info);

    // Software version 0 means a board without identity data.
    bool supported() const { return ident[0] != 0; }
    int serial() const { return info[0] | info[1] << 8; }
    int year() const { return info[2] | info[3] << 8; }
    int month() const { return info[4]; }
    int day() const { return info[5]; }

    QString version() const; // "2.15"
    QString serialText() const { return numberText(serial()); }
    QString dateText() const { return dateText(day(), month(), year()); }
    QString isoDate() const; // "2012-03-05"
    // "0x" and every byte in capital hex without a leading zero, no separators: "0x080".
    QString chipId() const { return HexText::packed(ident + 2, 2); }
    QString chipRev() const { return HexText::packed(ident + 4, 2); }
    QString esn() const { return HexText::packed(ident + 6, 12); }

    // "0042": four digits at least.
    static QString numberText(int number);
    // "05.03.2012".
    static QString dateText(int day, int month, int year);

    quint8 ident[IdentSize];
    quint8 info[InfoSize];
};

#endif // BOARDIDENTITY_H
