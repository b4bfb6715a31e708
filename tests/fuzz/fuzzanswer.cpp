#include "fuzzharness.h"

#include <QByteArray>
#include <QList>

#include <cstdio>
#include <cstdlib>
#include <memory>

#include "link/tlink.h"
#include "link/tmemoryport.h"

namespace
{
[[noreturn]] void broken(const char *rule)
{
    std::fprintf(stderr, "fuzzAnswer: %s\n", rule);
    std::abort();
}

struct Command {
    quint8 code;
    int dataLen; // request data bytes
    int minData; // answer data bytes the command needs
};

// Every command of the board with the request it carries and the answer it needs.
const Command kCommands[] = {
    {TLink::CmdTestCfg, 20, 1},  {TLink::CmdSaveCfg, 20, 1},   {TLink::CmdReadCfg, 0, 20},
    {TLink::CmdTrace, 1, 1},     {TLink::CmdTracePoll, 0, 0},  {TLink::CmdIdent, 0, 18},
    {TLink::CmdInfoRead, 0, 22}, {TLink::CmdInfoWrite, 22, 1}, {TLink::CmdCodec, 23, 1},
    {TLink::CmdRxCtl, 1, 1},     {TLink::CmdMicCtl, 1, 1},
};
} // namespace

// Input layout: byte 0 picks the command (low nibble), the mode (bit 4: a
// service mode, with port lines and hex dumps) and whether the line gives back
// the input instead of the echo (bit 5: the echo itself is then under test).
// The remaining bytes are what the RIB sends back, one part per attempt, the
// parts separated by A5 5A; an attempt past the last part gets the plain echo
// and then silence.
int fuzzAnswer(const uint8_t *data, size_t size)
{
    if (size < 1)
        return 0;
    const Command &c = kCommands[(data[0] & 0x0F) % (sizeof kCommands / sizeof kCommands[0])];
    const bool service = data[0] & 0x10;
    const bool rawEcho = data[0] & 0x20;
    QList<QByteArray> parts;
    {
        const QByteArray line(reinterpret_cast<const char *>(data + 1), int(size - 1));
        qsizetype from = 0;
        for (;;) {
            const qsizetype at = line.indexOf(QByteArrayLiteral("\xA5\x5A"), from);
            parts.append(line.mid(from, at < 0 ? -1 : at - from));
            if (at < 0)
                break;
            from = at + 2;
        }
    }

    auto port = std::make_shared<TMemoryPort>();
    int attempt = 0;
    QByteArray carried; // everything the line gave back, in order
    port->setResponder([&](const QByteArray &written) {
        QByteArray back;
        if (attempt < parts.size())
            back = rawEcho ? parts[attempt] : written + parts[attempt];
        else
            back = written;
        ++attempt;
        carried += back;
        return back;
    });

    TLink link;
    link.setDevice(port);
    link.setSettingsSource([service] { return service ? 2 : 1; },
                           [] { return QStringLiteral("fuzz"); });
    link.setSleepFunction([](int) {});

    quint8 request[32];
    for (int i = 0; i < c.dataLen; ++i)
        request[i] = quint8(0x11 * i);
    if (c.code == TLink::CmdCodec)
        request[0] = 11; // eleven register pairs

    const qint8 r = link.transact(c.code, request, c.dataLen, c.minData);
    if (r != -1 && r != 0 && r != 1)
        broken("transact returned a value outside -1, 0, 1");
    if (r != 1) {
        if (link.isPortOpen())
            broken("a failed transaction left the port open");
        return 0;
    }

    // An accepted answer is the board's: a whole, well-formed packet for this
    // command that the line really carried.
    const quint8 *p = link.answerPacket();
    const int n = p[1];
    if (p[0] != 0x43)
        broken("accepted packet does not start with 0x43");
    if (n < 2 || n > 0x40)
        broken("accepted packet length outside 2..64");
    if (p[2] != c.code)
        broken("accepted packet answers another command");
    if (link.answerDataLength() != n - 2 || n - 2 < c.minData)
        broken("accepted answer shorter than the command needs");
    quint8 sum = 0;
    for (int i = 0; i <= n + 1; ++i)
        sum = quint8(sum + p[i]);
    if (sum != 0)
        broken("accepted packet with a wrong checksum");
    const QByteArray packet(reinterpret_cast<const char *>(p), n + 2);
    if (!carried.contains(packet))
        broken("accepted packet bytes the line never carried");
    if (!link.isPortOpen())
        broken("answered transaction closed the port");
    link.closePort(0);
    return 0;
}
