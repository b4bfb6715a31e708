#ifndef TQ275_H
#define TQ275_H

#include <QtGlobal>

// The adapter's whole configuration: a 20-byte record that travels to the board,
// to files and between windows byte for byte, exactly as it stands in memory.
struct TQ275 {
    enum { Size = 20, BlockSize = 8, ChecksumBase = 0x5A };

    // Offsets of the channel blocks within the record.
    enum { RxOffset = 1, MicOffset = 9 };

    // The switching byte: each channel is switched on by one of two sources and off by one
    // of two; the first source of each is the default.
    enum Switching : quint8 {
        MicPttOn = 0x01,  // PTT pressed
        RxCosOn = 0x02,   // carrier detected
        MicPttOff = 0x04, // PTT released
        RxCosOff = 0x08,  // carrier lost
        RxAudioOn = 0x10, // the radio's receive audio path enabled
        MicTxOn = 0x20,   // the radio's transmit audio path enabled
        RxAudioOff = 0x40,
        MicTxOff = 0x80
    };

    quint8 switching; // byte 0: on/off sources of both channels
    quint8 rx[8];     // bytes 1-8: receiver input channel block
    quint8 mic[8];    // bytes 9-16: microphone input channel block
    quint8 infoFlag;  // byte 17: nonzero adds the second information item to the tree
    quint8 spare;     // byte 18: carried unchanged
    quint8 checksum;  // byte 19: the 20 bytes sum to 0x5A modulo 256

    quint8 *bytes() { return reinterpret_cast<quint8 *>(this); }
    const quint8 *bytes() const { return reinterpret_cast<const quint8 *>(this); }

    // Checksum of bytes 0-18: 0x5A minus their sum, modulo 256.
    quint8 computeChecksum() const;
    // Stores the checksum of bytes 0-18 in byte 19.
    void updateChecksum();
    // True when the 20 bytes sum to 0x5A modulo 256.
    bool isValid() const;

    // The partial copies that carry an editor's bytes between the current
    // configuration and the editors' working copy.
    static void copyRxPart(TQ275 &dst, const TQ275 &src);  // byte 0 and bytes 1-6
    static void copyMicPart(TQ275 &dst, const TQ275 &src); // byte 0 and bytes 9-14
    static void copyOutPart(TQ275 &dst, const TQ275 &src); // bytes 7-8 and 15-16

    // The defaults of a new record, each written into the bytes it concerns (the input
    // channels add their first sources to the switching byte and leave the other bits):
    // the receiver channel (block bytes 0-5), the microphone channel (block bytes 0-5) and
    // the outputs (bytes 6-7 of both blocks).
    static void rxDefaults(quint8 *switching, quint8 *rx);
    static void micDefaults(quint8 *switching, quint8 *mic);
    static void outDefaults(quint8 *rxOut, quint8 *micOut);
    // A new record: every default, information flag and spare byte 0, the checksum set.
    static TQ275 newRecord();
};

static_assert(sizeof(TQ275) == TQ275::Size, "TQ275 must be a plain 20-byte image");

#endif // TQ275_H
