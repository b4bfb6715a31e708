#ifndef SIM_BOARD_H
#define SIM_BOARD_H

// The option board behind the radio: it keeps its records and answers the
// commands 0x74 to 0x84 of the terminal. Plain C++, independent of the terminal.

#include <array>
#include <chrono>
#include <cstdint>
#include <deque>
#include <string>
#include <vector>

using Bytes = std::vector<uint8_t>;
using SimClock = std::chrono::steady_clock;

// Command codes the board knows.
enum : uint8_t {
    CmdTestCfg = 0x74,
    CmdSaveCfg = 0x75,
    CmdReadCfg = 0x76,
    CmdTrace = 0x77,
    CmdTracePoll = 0x78,
    CmdIdent = 0x79,
    CmdInfoRead = 0x80,
    CmdInfoWrite = 0x81,
    CmdCodec = 0x82,
    CmdRxCtl = 0x83,
    CmdMicCtl = 0x84,
    AnsError = 0x73
};

// The board's own error codes, sent after the error answer 0x73.
enum : uint8_t { ErrUnknownCommand = 0x01, ErrPacketChecksum = 0x02, ErrPacketLength = 0x03 };

// Status bytes of the setting commands.
enum : uint8_t { StatusDone = '0', StatusChecksum = '1', StatusFailed = '2' };

struct BoardRecords {
    Bytes config; // 20 bytes
    Bytes ident;  // 18 bytes
    Bytes info;   // 22 bytes
    Bytes test;   // the last test configuration (empty until one arrives)
    std::array<uint8_t, 256> codec{};
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
    size_t tracePending() const { return pending.size(); }

    // Text form of the records, and reading it back. load returns false and sets
    // err on a malformed line (the records keep what was read before it).
    std::string serialize() const;
    bool parse(const std::string &text, std::string &err);

private:
    void produceTrace(SimClock::time_point now);
    Answer execute(uint8_t cmd, const Bytes &data, SimClock::time_point now, bool &changed);

    BoardRecords rec;
    double traceRate = 4.0;
    SimClock::time_point traceStart;
    uint64_t traceMade = 0;
    std::deque<Bytes> pending;
};

// Hex helpers shared by the simulator.
std::string toHex(const Bytes &b, const char *sep = " ");
bool fromHex(const std::string &text, Bytes &out);

#endif // SIM_BOARD_H
