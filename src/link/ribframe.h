#ifndef RIBFRAME_H
#define RIBFRAME_H

#include <QByteArray>

// The frames on the line to the MOTOROLA RIB. A frame is 0xFF, its type, 0x00, the count
// of the bytes that follow, a board packet and the frame checksum, which makes the whole
// frame sum to 0xFF. The packet is its start byte, the count of the bytes that follow, an
// identifier (the command code), the data and the packet checksum, which makes the packet
// sum to 0. Requests go to the board in frames of type 0x2F with packets starting 0x44;
// the answers come back in frames of type 0x8F with packets starting 0x43.
class RibFrame
{
public:
    enum : quint8 {
        Start = 0xFF,
        RequestType = 0x2F,
        AnswerType = 0x8F,
        RequestPacket = 0x44,
        AnswerPacket = 0x43
    };
    // A request frame is its data and these many bytes more; an answer frame starts with a
    // header of 0xFF, its type, 0x00 and its count.
    enum { RequestOverhead = 9, HeaderSize = 4 };

    // The request frame of command cmd with len bytes of data.
    static QByteArray request(quint8 cmd, const quint8 *data, int len);
    // The answer frame around the board's answer packet with identifier id.
    static QByteArray answer(quint8 id, const QByteArray &data);

    // True when the frame with the body of length bytes (the frame's count byte) sums to 0xFF.
    static bool answerSumOk(const quint8 *body, int length);
    // True when the answer packet, as long as its count byte says, sums to 0.
    static bool packetSumOk(const quint8 *packet);

private:
    static QByteArray frame(quint8 type, quint8 packetStart, quint8 id, const quint8 *data,
                            int len);
    static quint8 sum(const quint8 *bytes, int count);
};

#endif // RIBFRAME_H
