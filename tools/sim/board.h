#ifndef SIM_BOARD_H
#define SIM_BOARD_H

// The option board behind the radio: it keeps its records and answers the
// commands 0x74 to 0x84 of the terminal. Plain C++, independent of the terminal.

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>
#include <vector>

using Bytes = std::vector<uint8_t>;
using SimClock = std::chrono::steady_clock;

// The error answer, sent instead of the answer to a command the board refuses.
enum : uint8_t { AnsError = 0x73 };

// The board's own error codes, sent after the error answer 0x73.
enum : uint8_t { ErrUnknownCommand = 0x01, ErrPacketChecksum = 0x02, ErrPacketLength = 0x03 };

// Status bytes of the setting commands.
enum : uint8_t { StatusDone = '0', StatusChecksum = '1', StatusFailed = '2' };

// Sizes of the records.
enum : size_t { ConfigSize = 20, IdentSize = 18, InfoSize = 22, CodecSize = 256 };

struct BoardRecords {
    Bytes config;
    Bytes ident;
    Bytes info;
    Bytes test; // the last test configuration (empty until one arrives)
    Bytes codec = Bytes(CodecSize);
    uint8_t rxCtl = 0;
    uint8_t micCtl = 0;
    uint8_t traceMask = 0;
    bool identity = true; // false: 0x79 and 0x80 get the error answer
};

class Board
{
public:
    struct Answer {
        bool none = true; // the board stays silent
        uint8_t id = 0;
        Bytes data;

        static Answer with(uint8_t id, Bytes data) { return {false, id, std::move(data)}; }
    };

    Board();

    BoardRecords &records() { return rec; }
    const BoardRecords &records() const { return rec; }

    // True when the command is one of those answered with a status byte.
    static bool isSetting(uint8_t cmd);
    // The new-record configuration (checksum included).
    static Bytes defaultConfig();
    static Bytes defaultIdent();
    static Bytes defaultInfo();
    // True when the 20 bytes sum to 0x5A modulo 256.
    static bool configValid(const Bytes &cfg);

    // Handles one board request packet (0x44, n, command, data, checksum).
    // changed is set when a record changed and should be stored.
    Answer handle(const Bytes &packet, SimClock::time_point now, bool &changed);

    // Trace streams: records produced per second for each switched-on stream set.
    void setTraceRate(double perSecond) { traceRate = perSecond; }
    // Queues a trace answer (channel byte and data, at most 62 bytes).
    void injectTrace(const Bytes &rec);

    // Text form of the records, and reading it back. parse returns false and sets
    // err on a malformed line (the records keep what was read before it).
    std::string serialize() const;
    bool parse(const std::string &text, std::string &err);

private:
    // A command the board knows: a setting command answers with the status byte its step
    // returns (the records changed when it is StatusDone), any other with the data its
    // step returns.
    struct Command {
        uint8_t code;
        bool needsIdentity; // refused by a board without identity data
        uint8_t (Board::*set)(const Bytes &data, SimClock::time_point now);
        Bytes (Board::*read)(SimClock::time_point now);
    };
    static const Command commands[];
    static const Command *find(uint8_t code);

    uint8_t testConfig(const Bytes &data, SimClock::time_point);
    uint8_t saveConfig(const Bytes &data, SimClock::time_point);
    Bytes readConfig(SimClock::time_point);
    uint8_t switchTrace(const Bytes &data, SimClock::time_point now);
    Bytes pollTrace(SimClock::time_point now);
    Bytes readIdent(SimClock::time_point);
    Bytes readInfo(SimClock::time_point);
    uint8_t writeInfo(const Bytes &data, SimClock::time_point);
    uint8_t writeCodec(const Bytes &data, SimClock::time_point);
    uint8_t setRxCtl(const Bytes &data, SimClock::time_point);
    uint8_t setMicCtl(const Bytes &data, SimClock::time_point);

    void produceTrace(SimClock::time_point now);

    BoardRecords rec;
    double traceRate = 4.0;
    SimClock::time_point traceStart;
    uint64_t traceMade = 0;
    std::deque<Bytes> pending;
};

// Helpers shared by the simulator.
std::string toHex(const Bytes &b, const char *sep = " ");
bool fromHex(const std::string &text, Bytes &out);
// The sum of the bytes modulo 256.
uint8_t sum8(const Bytes &b);
// A whole decimal (base 10) or hexadecimal (base 16) number from lo to hi.
bool readNumber(const std::string &text, int base, long lo, long hi, int &value);

#endif // SIM_BOARD_H
