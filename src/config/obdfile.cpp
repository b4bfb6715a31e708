#include "config/obdfile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cstring>

namespace
{
const char kDigits[] = "04000";
const char kNotice[] = "Requires MOTOROLA Radio Service Software. COPYRIGHT 1996-1999 MOTOROLA";
const int kNoticeAt = 69;

quint8 headerSum(const quint8 *b, int count)
{
    quint8 sum = 0x5A;
    for (int i = 0; i < count; ++i)
        sum = quint8(sum - b[i]);
    return sum;
}
} // namespace

QByteArray ObdFile::image(const TQ275 &cfg)
{
    QByteArray data(Size, '\0');
    quint8 *b = reinterpret_cast<quint8 *>(data.data());
    std::memcpy(b, kDigits, 5); // five digits and a zero byte
    b[6] = 3;
    b[HeaderChecksumAt] = headerSum(b, HeaderChecksumAt);
    static_assert(sizeof(kNotice) - 1 == 70, "the notice is 70 characters");
    std::memcpy(b + kNoticeAt, kNotice, sizeof(kNotice)); // with its terminator
    b[800] = 0x16;
    b[801] = 0x01;
    std::memcpy(b + HeaderSize, cfg.bytes(), TQ275::Size);
    return data;
}

ObdFile::Result ObdFile::parse(const QByteArray &data, TQ275 *cfg)
{
    if (data.size() != Size)
        return WrongSize;
    const quint8 *b = reinterpret_cast<const quint8 *>(data.constData());
    if (headerSum(b, HeaderChecksumAt + 1) != 0)
        return BadHeaderChecksum;
    std::memcpy(cfg->bytes(), b + HeaderSize, TQ275::Size);
    return Ok;
}

ObdFile::Result ObdFile::load(const QString &path, TQ275 *cfg, QByteArray *image)
{
    const QFileInfo info(path);
    if (info.exists() && !info.isFile() && !info.isDir())
        return WrongSize;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return OpenFailed;
    if (file.size() != Size)
        return WrongSize;
    const QByteArray data = file.read(Size);
    if (data.size() != Size)
        return ReadFailed;
    const Result r = parse(data, cfg);
    if (r == Ok && image)
        *image = data;
    return r;
}

QString ObdFile::message(Result result, const QString &path)
{
    const QString name = QDir::toNativeSeparators(path); // as the system writes paths
    switch (result) {
    case Ok:
        break;
    case WrongSize:
        return tr("Файл %1 не соответсвует типу устройства.").arg(name);
    case OpenFailed:
        return tr("Файл %1 не удалось открыть.").arg(name);
    case ReadFailed:
        return tr("Файл %1 не удалось прочитать.").arg(name);
    case BadHeaderChecksum:
        return tr("Ошибка контрольной суммы заголовка файла");
    }
    return QString();
}

QString ObdFile::savedMessage(const QString &path)
{
    return tr("Конфигурация адаптера Q-275, (%1 байт) записана в файл: %2")
        .arg(QString::number(Size), QDir::toNativeSeparators(path));
}
