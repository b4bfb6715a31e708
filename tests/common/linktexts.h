#ifndef LINKTEXTS_H
#define LINKTEXTS_H

#include <QString>

// The link's log lines, letter for letter, for the tests that expect them. A %1 (and %2)
// stands for what the line ends in or names.
namespace LinkText
{
// The port.
inline const QString noOpen = "Не удалось открыть порт %1: %2";
inline const QString notFound = "порт не найден";
inline const QString noName = "порт не задан";
inline const QString opened = "Открыт порт %1";
inline const QString portError = "Ошибка порта %1: %2";
inline const QString closed = "Закрыт порт %1";
// The transport.
inline const QString tooBig =
    "Команда 0x%1 не передана: данные не помещаются в кадр (%2 байт, не более 247)";
inline const QString noRib = "Ошибка соединения с MOTOROLA RIB";
inline const QString badEcho = "Ошибка передачи данных через MOTOROLA RIB";
inline const QString resend = "Запрос повторной передачи";
inline const QString noAck = "Превышено время ожидания ACK";
inline const QString radio = "Ошибка приема данных от радиостанции: %1";
inline const QString packet = "Ошибка приема данных от опциональной платы: %1";
inline const QString errorAnswer = "Ошибка, код ответа опциональной платы: 0x%1";
inline const QString packetId = "Ошибка идентификатора пакета опциональной платы: %1";
inline const QString retry = "Повтор передачи - попытка=%1";
// Why a transaction failed, after its last attempt.
inline const QString ribSilent =
    "Передача прервана: MOTOROLA RIB не подтвердил прием ни в одной из попыток";
inline const QString boardSilent =
    "Передача прервана: плата не ответила верно ни на одну из попыток";
inline const QString portLost = "Передача прервана: порт %1 закрыт или отключен";
inline const QString portUnset = "Передача прервана: не удалось настроить порт %1";
// The status byte of a setting command.
inline const QString status1 = "Ошибка, контрольной суммы в пакете принятом адаптером Q-275";
inline const QString status2 = "Ошибка, выполнения команды адаптером Q-275";
inline const QString statusOther = "Команда на поддерживается версией адаптера Q-275";
// The tasks.
inline const QString noIdent = "Адаптер Q-275 версия 0.0";
inline const QString readDone = "Процесс чтения конфигурации выполнен";
inline const QString testDone = "Загрузка тестовой конфигурации выполнена";
inline const QString saveDone = "Процесс загрузки конфигурации выполнен";
inline const QString infoDone = "Процесс загрузки информации выполнен";
inline const QString codecDone = "Передача команд кодека выполнена успешно";
inline const QString codecFailed = "Ошибка в передаче команд кодека";
inline const QString controlDone = "Передача команд управления выполнена успешно";
inline const QString rxFailed = "Ошибка в передаче команд управления канала приемника";
inline const QString micFailed = "Ошибка в передаче команд управления канала микрофона";

// A log line as the link's signal recorder has it.
inline QString mes(const QString &line)
{
    return "mes " + line;
}
} // namespace LinkText

#endif // LINKTEXTS_H
