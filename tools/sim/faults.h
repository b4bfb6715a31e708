#ifndef SIM_FAULTS_H
#define SIM_FAULTS_H

// Line and board faults the simulator can play, each for the next N request
// frames or for the next N frames of one command.

#include "board.h"

#include <array>
#include <cstddef>
#include <string>
#include <vector>

enum class FaultKind {
    NoEcho,        // the RIB stays silent: no echo, no acknowledgement, no answer
    ShortEcho,     // only the first N bytes are echoed (default 4), then silence
    BadEcho,       // one echoed byte is inverted (default the last), then silence
    NoAck,         // echo, then neither acknowledgement nor answer
    Nak,           // echo, then the retransmission request 0x60
    Stray,         // bytes (default 00 55 AA) before the acknowledgement
    Close,         // echo, then the line is closed and opened again under the link
    NoAnswer,      // echo and acknowledgement, but the board does not answer
    BadFrameSum,   // answer frame checksum wrong
    BadPacketSum,  // answer packet checksum wrong (frame checksum right)
    WrongId,       // answer identifier other than the command (default command + 1)
    Error,         // error answer 0x73 with the given code (default 05)
    Status,        // setting commands only: this status byte instead of the real one
    Short,         // answer data cut to N bytes (default half), sums right
    Truncated,     // answer frame cut after N bytes (default half), length byte kept
    LongLen,       // FF 8F 00 and a length byte over 0x80 (default 81) before the answer
    Corrupt,       // answer frame byte N inverted (default the last data byte) after the
                   // checksums were computed, so the frame checksum no longer holds
    CorruptPacket, // answer packet byte N inverted (default the last data byte), frame sum right
    Garble         // request packet byte N reaches the board inverted (default 3)
};

constexpr size_t faultKinds = size_t(FaultKind::Garble) + 1;

// Argument values that are no number given after '='.
enum : int {
    FaultOff = -1, // in FrameFaults: no fault of the kind acts on the frame
    FaultAuto = -2 // the default that the frame gives: its last byte or last data byte,
                   // half of it, or for wrong-id the command + 1
};

struct Fault {
    FaultKind kind = FaultKind::NoEcho;
    int arg = 0;      // index, count or byte value: the one given, or the kind's default
    Bytes bytes;      // stray bytes
    int count = 1;    // frames left; -1 for always
    int cmd = -1;     // only frames of this command, or -1 for any
    std::string text; // as given, for the log
};

// Parses "kind[=arg][,count=N|always][,cmd=XX]" (commas or blanks between the parts).
bool parseFault(const std::string &text, Fault &f, std::string &err);

// What the faults matched by one frame ask for: each kind acting with its argument
// (a later fault of a kind in place of an earlier one), and the stray bytes of all.
class FrameFaults
{
public:
    FrameFaults() { args.fill(FaultOff); }
    void add(const Fault &f, int cmd);

    bool has(FaultKind k) const { return args[size_t(k)] != FaultOff; }
    int arg(FaultKind k) const { return args[size_t(k)]; }
    const Bytes &stray() const { return strayBytes; }
    const std::vector<std::string> &applied() const { return texts; }

private:
    std::array<int, faultKinds> args;
    Bytes strayBytes;
    std::vector<std::string> texts;
};

class FaultTable
{
public:
    void add(const Fault &f) { faults.push_back(f); }
    void clear() { faults.clear(); }
    bool empty() const { return faults.empty(); }
    // Takes the faults that match a frame of this command (cmd -1: no command
    // byte in the frame) and counts them down.
    FrameFaults take(int cmd);

private:
    std::vector<Fault> faults;
};

// The help text of the fault list.
extern const char *const faultHelp;

#endif // SIM_FAULTS_H
