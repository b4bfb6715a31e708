#include "link/tlink.h"

#include <QThread>

#include <cstring>

#include "config/hextext.h"
#include "link/portname.h"
#include "link/systemerror.h"

namespace
{
// Step results of the transport inside a transaction, numbered as the log lines show
// them; the port layer's codes are the negative ones.
enum Step : qint8 {
    StepTimeout,    // nothing within the read time-out
    StepAck,        // the RIB acknowledged the frame
    StepRetransmit, // the RIB asked for the frame again
    StepOk,         // the step succeeded
    StepShort = 10, // echo or answer incomplete, or an answer packet too long or too short
    StepChecksum,   // an answer frame or packet with a wrong sum
    StepNoPacket,   // an answer that holds no board packet
    StepEcho = 14   // the echo differs from the frame sent
};

// The status byte of a setting command's answer, what it means and the line that reports
// it. Any byte not listed means that the board's software does not know the command.
struct StatusRow {
    TLink::Status status;
    char byte;
    const char *line;
};
const StatusRow statusRows[] = {
    {TLink::StatusOk, '0', nullptr},
    {TLink::StatusChecksum, '1',
     QT_TRANSLATE_NOOP("TLink", "Ошибка, контрольной суммы в пакете принятом адаптером Q-275")},
    {TLink::StatusFailed, '2',
     QT_TRANSLATE_NOOP("TLink", "Ошибка, выполнения команды адаптером Q-275")},
    {TLink::StatusUnknown, 0,
     QT_TRANSLATE_NOOP("TLink", "Команда на поддерживается версией адаптера Q-275")}};

// The lines of the port's opening and closing in the service modes (%1: the port).
QString openedLine()
{
    return TLink::tr("Открыт порт %1");
}

QString closedLine()
{
    return TLink::tr("Закрыт порт %1");
}

// Whether line is text with its %1 filled in.
bool fills(const QString &line, const QString &text)
{
    const qsizetype at = text.indexOf(QLatin1String("%1"));
    return at >= 0 && line.size() >= text.size() - 2 && line.startsWith(text.left(at)) &&
           line.endsWith(text.mid(at + 2));
}
} // namespace

TLink::TLink(QObject *parent) : QObject(parent) {}

TLink::~TLink()
{
    if (port)
        port->close();
}

void TLink::setDevice(std::shared_ptr<TLinkPort> device)
{
    if (port && port != device)
        port->close();
    port = std::move(device);
    openName.clear();
}

void TLink::setSettingsSource(std::function<int()> m, std::function<QString()> name)
{
    modeSource = std::move(m);
    nameSource = std::move(name);
}

void TLink::setSleepFunction(SleepFunction sleep)
{
    sleepFunction = std::move(sleep);
}

void TLink::setAbortCheck(std::function<bool()> check)
{
    abortCheck = std::move(check);
}

bool TLink::aborted() const
{
    return abortCheck && abortCheck();
}

int TLink::mode() const
{
    return modeSource ? modeSource() : 0;
}

void TLink::pause(int ms)
{
    if (aborted())
        return;
    if (sleepFunction)
        sleepFunction(ms);
    else
        QThread::msleep(ulong(ms));
}

void TLink::log(const QString &text)
{
    emit mes(text);
}

// ---------------------------------------------------------------- port layer

bool TLink::isPortLine(const QString &line)
{
    return line.startsWith(QLatin1String("Txd=>")) || line.startsWith(QLatin1String("Rxd=>")) ||
           fills(line, openedLine()) || fills(line, closedLine());
}

bool TLink::isPortOpen() const
{
    return port && port->isOpen();
}

qint8 TLink::openPort()
{
    if (isPortOpen())
        return 0;
    if (!port)
        return -4;
    const QString name = nameSource ? nameSource() : QString();
    // A name no port can have never reaches the device.
    QString why = name.isEmpty() ? tr("порт не задан") : PortName::problem(name);
    if (!why.isEmpty() || !port->open(name)) {
        // Nothing is open, so the port lines of the service modes do not apply; but the
        // technician needs to know why, in every mode.
        if (why.isEmpty())
            why = openFailure();
        log(tr("Не удалось открыть порт %1: %2").arg(PortName::shown(name), why));
        return -4;
    }
    // From here on the port stays open until the caller closes it with the
    // failure code, which puts the port-error line into the log.
    openName = PortName::shown(name);
    readTimeoutMs = ReadTimeoutShort;
    if (!port->setTimeouts(readTimeoutMs, WriteTimeout))
        return -3;
    const int settings = port->configure();
    if (settings < 0)
        return qint8(settings);
    if (mode() > 1)
        log(openedLine().arg(openName));
    return 0;
}

// Why the port did not open, in the technician's words.
QString TLink::openFailure() const
{
    QString system;
    switch (port->openError(&system)) {
    case TLinkPort::NoError:
    case TLinkPort::NotFound:
        break;
    case TLinkPort::Busy:
        return tr("порт занят другой программой");
    case TLinkPort::NoAccess: {
#ifdef Q_OS_LINUX
        return tr("нет прав доступа — добавьте пользователя в группу dialout и войдите заново");
#else
        return tr("нет прав доступа");
#endif
    }
    case TLinkPort::NotSerial:
        return tr("это не последовательный порт");
    case TLinkPort::OtherError:
        return SystemError::explain(system);
    }
    return tr("порт не найден");
}

qint8 TLink::setReadTimeout(quint32 ms)
{
    readTimeoutMs = ms;
    if (!isPortOpen() || !port->setTimeouts(ms, WriteTimeout))
        return -3;
    return 0;
}

int TLink::readBytes(quint8 *buf, int n)
{
    if (!isPortOpen())
        return -1;
    if (aborted())
        return 0; // as if the time-out had passed: the transaction ends at its next step
    const qint64 r = port->read(buf, n);
    if (r < 0)
        return -1;
    dump(QStringLiteral("Rxd"), buf, int(r));
    return int(r);
}

void TLink::closePort(qint8 code)
{
    if (!isPortOpen())
        return;
    port->close();
    if (mode() > 1) {
        if (code < 0)
            log(tr("Ошибка порта %1: %2").arg(openName, QString::number(code)));
        log(closedLine().arg(openName));
    }
}

void TLink::dump(const QString &prefix, const quint8 *data, int len)
{
    if (len <= 0 || mode() <= 1)
        return;
    log(prefix + QStringLiteral("=>") + HexText::list(data, len));
}

// ----------------------------------------------------------------- transport

qint8 TLink::sendFrame(quint8 cmd, const quint8 *data, int len)
{
    sent = RibFrame::request(cmd, data, len);
    const int size = int(sent.size());
    const quint8 *frame = reinterpret_cast<const quint8 *>(sent.constData());
    emit sendMax(quint32(size));
    if (!isPortOpen())
        return -2;
    const qint64 written = port->write(frame, size);
    if (written < 0)
        return -2;
    if (written > 0)
        ++framesOut;
    emit sendCnt(quint32(written));
    if (written != size)
        return -2;
    dump(QStringLiteral("Txd"), frame, size);
    return StepOk;
}

// Reads count bytes into the start of rx, each call asking for the bytes still missing, at
// most count calls; with reportCount every call is followed by recvCnt with the total.
int TLink::readBlock(int count, bool reportCount)
{
    int got = 0;
    for (int call = 0; call < count && got < count; ++call) {
        const int r = readBytes(rx + got, count - got);
        if (r < 0)
            return -1;
        got += r;
        if (reportCount)
            emit recvCnt(got);
    }
    return got;
}

qint8 TLink::readEcho()
{
    // The RIB sends every frame back as it was sent.
    const int m = int(sent.size());
    const int got = readBlock(m, false);
    if (got < 0)
        return -1;
    if (got < m)
        return StepShort;
    return std::memcmp(rx, sent.constData(), size_t(m)) == 0 ? StepOk : StepEcho;
}

qint8 TLink::readByte(quint8 &byte)
{
    const int r = readBytes(&byte, 1);
    if (r < 0)
        return -1;
    return r == 0 ? qint8(StepTimeout) : qint8(StepOk);
}

qint8 TLink::waitAck()
{
    if (setReadTimeout(ReadTimeoutLong) < 0)
        return -3;
    for (int skipped = 0; skipped <= NoiseLimit; ++skipped) {
        quint8 b = 0;
        const qint8 r = readByte(b);
        if (r != StepOk)
            return r;
        if (b == 0x50)
            return StepAck;
        if (b == 0x60)
            return StepRetransmit;
        // anything else is noise on the line: skip it
    }
    return StepTimeout;
}

// Hunts for the header of an answer frame: StepOk with its length byte, or the step that
// ended the hunt.
qint8 TLink::findAnswerHeader(int &length)
{
    int seen = 0;           // bytes read while hunting, header bytes included
    bool haveStart = false; // a 0xFF that failed as a frame type may start the next frame
    quint8 b = 0;
    auto next = [&]() -> qint8 {
        if (++seen > NoiseLimit)
            return StepTimeout;
        return readByte(b);
    };
    for (;;) {
        emit recvCnt(0);
        if (setReadTimeout(ReadTimeoutLong) < 0)
            return -3;
        qint8 r;
        if (!haveStart) {
            do {
                if ((r = next()) != StepOk)
                    return r;
            } while (b != RibFrame::Start);
        }
        haveStart = false;

        if (setReadTimeout(ReadTimeoutShort) < 0)
            return -3;
        if ((r = next()) != StepOk)
            return r;
        if (b != RibFrame::AnswerType) {
            haveStart = b == RibFrame::Start;
            continue;
        }
        if ((r = next()) != StepOk)
            return r;
        if (b != 0x00)
            continue;
        if ((r = next()) != StepOk)
            return r;
        if (b > 0x80)
            continue; // not a frame header after all: hunt for the next 0xFF
        length = b;
        return StepOk;
    }
}

qint8 TLink::readAnswer()
{
    bodyLength = 0;
    int length = 0;
    const qint8 found = findAnswerHeader(length);
    if (found != StepOk)
        return found;
    emit recvMax(length);
    if (backToBack)
        port->expect(length);
    const int got = readBlock(length, true);
    if (got < 0)
        return -1;
    // The packet check needs the body length: bytes past it are not the
    // board's and must never be taken as such.
    bodyLength = got;
    const qint8 result = got < length                         ? qint8(StepShort)
                         : !RibFrame::answerSumOk(rx, length) ? qint8(StepChecksum)
                                                              : qint8(StepOk);
    if (result != StepOk)
        log(tr("Ошибка приема данных от радиостанции: %1").arg(int(result)));
    return result;
}

qint8 TLink::checkPacket(quint8 cmd, int minData)
{
    const int body = bodyLength;
    qint8 result = StepOk;
    const int n = rx[1];
    if (body < 1 || rx[0] != RibFrame::AnswerPacket) {
        result = StepNoPacket;
    } else if (n > 0x40 || n < 2 || n + 3 > body) {
        // Over 64, too short to hold an identifier, or longer than the frame
        // that carried it.
        result = StepShort;
    } else if (!RibFrame::packetSumOk(rx)) {
        result = StepChecksum;
    } else {
        // An answer too short for what it must carry is a receive error:
        // the bytes the board did not send are never read as its data.
        const int data = n - 2;
        if ((rx[2] == cmd && data < minData) || (rx[2] == AnsError && data < 1))
            result = StepShort;
    }
    if (result != StepOk)
        log(tr("Ошибка приема данных от опциональной платы: %1").arg(int(result)));
    return result;
}

// After a read step: once the work is to end, the attempt ends as failed, quietly; a port
// failure ends it with its code.
std::optional<TLink::Attempt> TLink::endsAttempt(qint8 step) const
{
    if (aborted())
        return Attempt{Attempt::Failed};
    if (step < 0)
        return Attempt{Attempt::Failed, step};
    return std::nullopt;
}

TLink::Attempt TLink::attempt(quint8 cmd, const quint8 *data, int len, int minData)
{
    qint8 r = openPort();
    if (r >= 0)
        r = sendFrame(cmd, data, len);
    if (r < 0)
        return {Attempt::Failed, r};
    // On a healthy line the echo, the RIB's acknowledgement and the answer's header come
    // back to back. A trace poll says so to the port, so that it sleeps while they come in
    // instead of waking for each byte; any other command wants its answer as soon as it is
    // there.
    backToBack = cmd == CmdTracePoll;
    if (backToBack)
        port->expect(qint64(sent.size()) + 1 + RibFrame::HeaderSize);
    r = readEcho();
    if (auto end = endsAttempt(r))
        return *end;
    if (r == StepShort) {
        log(tr("Ошибка соединения с MOTOROLA RIB"));
        return {Attempt::Failed, StepShort}; // no retransmission
    }
    if (r == StepEcho) {
        log(tr("Ошибка передачи данных через MOTOROLA RIB"));
        return {Attempt::Retry, StepEcho, PauseLong, true};
    }
    r = waitAck();
    if (auto end = endsAttempt(r))
        return *end;
    if (r == StepRetransmit) {
        log(tr("Запрос повторной передачи"));
        return {Attempt::Retry, StepRetransmit, PauseShort, true};
    }
    if (r == StepTimeout) {
        log(tr("Превышено время ожидания ACK"));
        return {Attempt::Retry, StepTimeout, PauseLong, true};
    }
    return receive(cmd, minData);
}

// The answer to an acknowledged frame.
TLink::Attempt TLink::receive(quint8 cmd, int minData)
{
    qint8 r = readAnswer();
    if (auto end = endsAttempt(r))
        return *end;
    if (r == StepOk)
        r = checkPacket(cmd, minData);
    if (r != StepOk)
        return {Attempt::Retry, r, PauseLong};
    if (rx[2] == cmd)
        return {Attempt::Answered};
    if (rx[2] == AnsError) {
        log(tr("Ошибка, код ответа опциональной платы: 0x%1").arg(int(rx[3]), 0, 16));
        return {Attempt::ErrorAnswer};
    }
    log(tr("Ошибка идентификатора пакета опциональной платы: %1").arg(int(rx[2])));
    return {Attempt::Retry, 0, PauseLong};
}

// After the last attempt of a failed transaction: why it failed, in every mode. A port that
// did not open and a RIB that did not echo have said so already; a stop needs no reason.
void TLink::sayWhyFailed(const Attempt &last)
{
    if (last.kind == Attempt::Retry && last.ribFailed)
        log(tr("Передача прервана: MOTOROLA RIB не подтвердил прием ни в одной из попыток"));
    else if (last.kind == Attempt::Retry)
        log(tr("Передача прервана: плата не ответила верно ни на одну из попыток"));
    else if (last.code == -1 || last.code == -2)
        log(tr("Передача прервана: порт %1 закрыт или отключен").arg(openName));
    else if (last.code == -3 || last.code == -5 || last.code == -6)
        log(tr("Передача прервана: не удалось настроить порт %1").arg(openName));
}

qint8 TLink::transact(quint8 cmd, const quint8 *data, int len, int minData, int attempts)
{
    if (len < 0 || len > MaxData || (len > 0 && !data)) {
        log(tr("Команда 0x%1 не передана: данные не помещаются в кадр (%2 байт, не более %3)")
                .arg(cmd, 2, 16, QLatin1Char('0'))
                .arg(len)
                .arg(int(MaxData)));
        return -1;
    }
    for (int tried = 1;; ++tried) {
        const Attempt a = attempt(cmd, data, len, minData);
        switch (a.kind) {
        case Attempt::Answered:
            return 1; // the port stays open for the caller
        case Attempt::ErrorAnswer:
            closePort(0);
            return 0;
        case Attempt::Failed:
            closePort(a.code);
            sayWhyFailed(a);
            return -1;
        case Attempt::Retry:
            break;
        }
        if (tried >= attempts) {
            closePort(a.code);
            sayWhyFailed(a);
            return -1;
        }
        closePort(0);
        pause(a.pauseMs);
        if (aborted())
            return -1;
        log(tr("Повтор передачи - попытка=%1").arg(tried));
    }
}

// ------------------------------------------------------------------ commands

TLink::Status TLink::sendSetting(quint8 cmd, const quint8 *data, int len, int attempts)
{
    const qint8 r = transact(cmd, data, len, 1, attempts);
    if (r != 1)
        return r == 0 ? BoardError : LinkFailed;
    closePort(0);
    for (const StatusRow &row : statusRows) {
        if (row.status != StatusUnknown && quint8(row.byte) == answerData()[0])
            return row.status;
    }
    return StatusUnknown;
}

void TLink::reportStatus(Status status)
{
    for (const StatusRow &row : statusRows) {
        if (row.status == status && row.line)
            log(tr(row.line));
    }
}
