#include "link/systemerror.h"

#include <cerrno>

namespace
{
struct Reason {
    int errnum;
    const char *text;
};
const Reason reasons[] = {
    {ENOENT, QT_TRANSLATE_NOOP("SystemError", "нет такого файла или устройства")},
    {ENXIO, QT_TRANSLATE_NOOP("SystemError", "устройство отсутствует или не подключено")},
    {ENODEV, QT_TRANSLATE_NOOP("SystemError", "устройство отсутствует или не подключено")},
    {EACCES, QT_TRANSLATE_NOOP("SystemError", "нет прав доступа")},
    {EPERM, QT_TRANSLATE_NOOP("SystemError", "действие не разрешено")},
    {EBUSY, QT_TRANSLATE_NOOP("SystemError", "устройство занято")},
    {EIO, QT_TRANSLATE_NOOP("SystemError", "ошибка ввода-вывода")},
    {EISDIR, QT_TRANSLATE_NOOP("SystemError", "это папка")},
    {ENOTDIR, QT_TRANSLATE_NOOP("SystemError", "часть пути не является папкой")},
    {ENOTTY, QT_TRANSLATE_NOOP("SystemError", "это не последовательный порт")},
    {ENOSPC, QT_TRANSLATE_NOOP("SystemError", "нет места на диске")},
    {EROFS, QT_TRANSLATE_NOOP("SystemError", "файловая система только для чтения")},
    {ENAMETOOLONG, QT_TRANSLATE_NOOP("SystemError", "слишком длинное имя")},
    {EMFILE, QT_TRANSLATE_NOOP("SystemError", "открыто слишком много файлов")},
};
} // namespace

QString SystemError::explain(const QString &system)
{
    // Qt builds its texts from the errno with qt_error_string(): the same call finds it again.
    for (const Reason &r : reasons) {
        if (system == qt_error_string(r.errnum))
            return QStringLiteral("%1 (%2)").arg(tr(r.text), system);
    }
    return system;
}
