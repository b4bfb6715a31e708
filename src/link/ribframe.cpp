#include "link/ribframe.h"

namespace
{
const quint8 *bytesOf(const QByteArray &b)
{
    return reinterpret_cast<const quint8 *>(b.constData());
}
} // namespace

QByteArray RibFrame::request(quint8 cmd, const quint8 *data, int len)
{
    return frame(RequestType, RequestPacket, cmd, data, len);
}

QByteArray RibFrame::answer(quint8 id, const QByteArray &data)
{
    return frame(AnswerType, AnswerPacket, id, bytesOf(data), int(data.size()));
}

bool RibFrame::answerSumOk(const quint8 *body, int length)
{
    return quint8(Start + AnswerType + length + sum(body, length)) == 0xFF;
}

bool RibFrame::packetSumOk(const quint8 *packet)
{
    return sum(packet, packet[1] + 2) == 0;
}

QByteArray RibFrame::frame(quint8 type, quint8 packetStart, quint8 id, const quint8 *data, int len)
{
    QByteArray packet;
    packet.append(char(packetStart));
    packet.append(char(len + 2));
    packet.append(char(id));
    packet.append(reinterpret_cast<const char *>(data), len);
    packet.append(char(0x100 - sum(bytesOf(packet), int(packet.size()))));

    QByteArray f;
    f.append(char(Start));
    f.append(char(type));
    f.append(char(0x00));
    f.append(char(packet.size() + 1));
    f.append(packet);
    f.append(char(0xFF - sum(bytesOf(f), int(f.size()))));
    return f;
}

quint8 RibFrame::sum(const quint8 *bytes, int count)
{
    quint8 s = 0;
    for (int i = 0; i < count; ++i)
        s += bytes[i];
    return s;
}
