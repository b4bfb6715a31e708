#ifndef TESTKIT_H
#define TESTKIT_H

#include <QByteArray>
#include <QList>
#include <QStringList>
#include <QVariant>

#include <functional>

class QObject;

// Small helpers the test programs share.

inline QByteArray hex(const char *text)
{
    return QByteArray::fromHex(text);
}

inline QByteArray bytes(const void *p, int n)
{
    return QByteArray(static_cast<const char *>(p), n);
}

inline const quint8 *u8(const QByteArray &b)
{
    return reinterpret_cast<const quint8 *>(b.constData());
}

// The configuration of a new record, as the terminal creates it and the simulator starts with.
QByteArray newRecord();
// cfg (20 bytes) with its checksum byte set.
QByteArray withChecksum(QByteArray cfg);
// A valid record that differs from the new one in both channel blocks.
QByteArray otherRecord(quint8 seed = 0x21);

// A property a control of a window has, or is given.
struct Prop {
    const char *control, *property;
    QVariant value;
};
// Each property as "control.property=value": as the controls under root have it, and as
// the list wants it.
QStringList propsOf(const QObject *root, const QList<Prop> &props);
QStringList propsWanted(const QList<Prop> &props);

// Runs work with every write beyond `bytes` bytes of a file failing, as on a full disk.
void withFullDisk(qint64 bytes, const std::function<void()> &work);

// Handles events until pred() holds; false when ms passed first.
bool waitFor(const std::function<bool()> &pred, int ms = 15000);

#endif // TESTKIT_H
