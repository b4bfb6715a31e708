#include "tlink.h"

#include <QThread>

#include "hextext.h"

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
    if (!port->open(name)) {
        // Nothing is open, so the port lines of the service modes do not apply; but the
        // technician needs to know why, in every mode.
        QString system;
        QString reason;
        switch (port->openError(&system)) {
        case TLinkPort::NoError:
        case TLinkPort::NotFound:
            reason = tr("порт не найден");
            break;
        case TLinkPort::Busy:
            reason = tr("порт занят другой программой");
            break;
        case TLinkPort::NoAccess:
            reason = tr("нет прав доступа");
#ifdef Q_OS_LINUX
            reason += tr(" — добавьте пользователя в группу dialout и войдите заново");
#endif
            break;
        case TLinkPort::NotSerial:
            reason = tr("это не последовательный порт");
            break;
        case TLinkPort::OtherError:
            reason = system;
            break;
        }
        log(tr("Не удалось открыть порт ") + name + QStringLiteral(": ") + reason);
        return -4;
    }
    // From here on the port stays open until the caller closes it with the
    // failure code, which puts the port-error line into the log.
    openName = name;
    readTimeoutMs = ReadTimeoutShort;
    if (!port->setTimeouts(readTimeoutMs, WriteTimeout))
        return -3;
    const int settings = port->configure();
    if (settings < 0)
        return qint8(settings);
    if (mode() > 1)
        log(tr("Открыт порт ") + openName);
    return 0;
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
            log(tr("Ошибка порта ") + openName + QStringLiteral(": ") + QString::number(code));
        log(tr("Закрыт порт ") + openName);
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
    tx[0] = 0xFF;
    tx[1] = 0x2F;
    tx[2] = 0x00;
    tx[3] = quint8(len + 5);
    tx[4] = 0x44;
    tx[5] = quint8(len + 2);
    tx[6] = cmd;
    quint8 packetSum = quint8(0x44 + len + 2 + cmd);
    for (int i = 0; i < len; ++i) {
        tx[7 + i] = data[i];
        packetSum += data[i];
    }
    tx[7 + len] = quint8(0x100 - packetSum);
    quint8 frameSum = 0;
    for (int i = 0; i < 8 + len; ++i)
        frameSum += tx[i];
    tx[8 + len] = quint8(0xFF - frameSum);

    const int size = len + 9;
    emit sendMax(quint32(size));
    if (!isPortOpen())
        return -2;
    const qint64 written = port->write(tx, size);
    if (written < 0)
        return -2;
    emit sendCnt(quint32(written));
    if (written != size)
        return -2;
    dump(QStringLiteral("Txd"), tx, size);
    return StepOk;
}

qint8 TLink::readEcho()
{
    // The RIB sends every frame back as it was sent.
    const int m = tx[3] + 4;
    int got = 0;
    for (int call = 0; call < m && got < m; ++call) {
        const int r = readBytes(rx + got, m - got);
        if (r < 0)
            return -1;
        got += r;
    }
    if (got < m)
        return StepShort;
    for (int i = 0; i < m; ++i) {
        if (rx[i] != tx[i])
            return StepEcho;
    }
    return StepOk;
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

qint8 TLink::readAnswer()
{
    int length = 0;
    bodyLength = 0;
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
            } while (b != 0xFF);
        }
        haveStart = false;

        if (setReadTimeout(ReadTimeoutShort) < 0)
            return -3;
        if ((r = next()) != StepOk)
            return r;
        if (b != 0x8F) {
            haveStart = b == 0xFF;
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
        break;
    }

    emit recvMax(length);
    int got = 0;
    for (int call = 0; call < length && got < length; ++call) {
        const int r = readBytes(rx + got, length - got);
        if (r < 0)
            return -1;
        got += r;
        emit recvCnt(got);
    }
    // The packet check needs the body length: bytes past it are not the
    // board's and must never be taken as such.
    bodyLength = got;
    qint8 result = StepOk;
    if (got < length) {
        result = StepShort;
    } else {
        quint8 sum = quint8(0x71 - length);
        for (int i = 0; i < length; ++i)
            sum -= rx[i];
        if (sum != 0)
            result = StepChecksum;
    }
    if (result != StepOk)
        log(tr("Ошибка приема данных от радиостанции: ") + QString::number(result));
    return result;
}

qint8 TLink::checkPacket(quint8 cmd, int minData)
{
    const int body = bodyLength;
    qint8 result = StepOk;
    const int n = rx[1];
    if (body < 1 || rx[0] != 0x43) {
        result = StepNoPacket;
    } else if (n > 0x40 || n < 2 || n + 3 > body) {
        // Over 64, too short to hold an identifier, or longer than the frame
        // that carried it.
        result = StepShort;
    } else {
        quint8 sum = quint8(0xBD - n);
        for (int i = 2; i <= n + 1; ++i)
            sum -= rx[i];
        if (sum != 0) {
            result = StepChecksum;
        } else {
            // An answer too short for what it must carry is a receive error:
            // the bytes the board did not send are never read as its data.
            const int data = n - 2;
            if ((rx[2] == cmd && data < minData) || (rx[2] == AnsError && data < 1))
                result = StepShort;
        }
    }
    if (result != StepOk)
        log(tr("Ошибка приема данных от опциональной платы: ") + QString::number(result));
    return result;
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

    // Once the work is to end, the attempt under way ends as failed, quietly.
    auto abandon = [this] {
        if (!aborted())
            return false;
        closePort(0);
        return true;
    };
    const int total = attempts;
    for (;;) {
        qint8 cause = 0;
        int pauseMs = 0;

        qint8 r = openPort();
        if (r < 0) {
            closePort(r);
            return -1;
        }
        r = sendFrame(cmd, data, len);
        if (r < 0) {
            closePort(r);
            return -1;
        }
        r = readEcho();
        if (abandon())
            return -1;
        if (r < 0) {
            closePort(r);
            return -1;
        }
        if (r == StepShort) {
            log(tr("Ошибка соединения с MOTOROLA RIB"));
            closePort(StepShort);
            return -1;
        }
        --attempts;

        if (r == StepEcho) {
            log(tr("Ошибка передачи данных через MOTOROLA RIB"));
            cause = StepEcho;
            pauseMs = 1000;
        } else {
            r = waitAck();
            if (abandon())
                return -1;
            if (r < 0) {
                closePort(r);
                return -1;
            }
            if (r == StepRetransmit) {
                log(tr("Запрос повторной передачи"));
                cause = StepRetransmit;
                pauseMs = 250;
            } else if (r == StepTimeout) {
                log(tr("Превышено время ожидания ACK"));
                cause = StepTimeout;
                pauseMs = 1000;
            } else {
                r = readAnswer();
                if (abandon())
                    return -1;
                if (r < 0) {
                    closePort(r);
                    return -1;
                }
                if (r == StepOk)
                    r = checkPacket(cmd, minData);
                if (r != StepOk) {
                    cause = r;
                    pauseMs = 1000;
                } else if (rx[2] == cmd) {
                    return 1;
                } else if (rx[2] == AnsError) {
                    log(tr("Ошибка, код ответа опциональной платы: 0x") +
                        QString::number(rx[3], 16));
                    closePort(0);
                    return 0;
                } else {
                    log(tr("Ошибка идентификатора пакета опциональной платы: ") +
                        QString::number(rx[2]));
                    cause = 0;
                    pauseMs = 1000;
                }
            }
        }

        // Retry with a pause.
        if (attempts == 0) {
            closePort(cause);
            return -1;
        }
        closePort(0);
        pause(pauseMs);
        if (aborted())
            return -1;
        log(tr("Повтор передачи - попытка=") + QString::number(total - attempts));
    }
}

// ------------------------------------------------------------------ commands

TLink::Status TLink::sendSetting(quint8 cmd, const quint8 *data, int len, int attempts)
{
    const qint8 r = transact(cmd, data, len, 1, attempts);
    if (r != 1)
        return r == 0 ? BoardError : LinkFailed;
    closePort(0);
    switch (answerData()[0]) {
    case 0x30:
        return StatusOk;
    case 0x31:
        return StatusChecksum;
    case 0x32:
        return StatusFailed;
    default:
        return StatusUnknown;
    }
}

void TLink::reportStatus(Status status)
{
    switch (status) {
    case StatusChecksum:
        log(tr("Ошибка, контрольной суммы в пакете принятом адаптером Q-275"));
        break;
    case StatusFailed:
        log(tr("Ошибка, выполнения команды адаптером Q-275"));
        break;
    case StatusUnknown:
        log(tr("Команда на поддерживается версией адаптера Q-275"));
        break;
    case LinkFailed:
    case BoardError:
    case StatusOk:
        break;
    }
}
