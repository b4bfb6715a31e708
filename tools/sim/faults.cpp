#include "faults.h"

const char *const faultHelp =
    "Faults (--fault FAULT, or 'fault FAULT' on the control FIFO):\n"
    "  FAULT is KIND[=ARG][,count=N|always][,cmd=XX]. A fault acts on the next N\n"
    "  request frames (default 1), or with cmd=XX on the next N frames of command\n"
    "  XX (hexadecimal). Several faults may act on the same frame.\n"
    "  RIB faults:\n"
    "    no-echo           no echo, no acknowledgement, no answer\n"
    "    short-echo[=N]    only the first N bytes come back (default 4), then silence\n"
    "    bad-echo[=I]      echoed byte I (default the last) is inverted, then silence\n"
    "    no-ack            echo, then silence\n"
    "    nak               echo, then the retransmission request 0x60\n"
    "    stray[=HEX]       these bytes (default 0055AA) before the acknowledgement\n"
    "    close             echo, then the line is closed; a new one is opened under\n"
    "                      the --link name\n"
    "  Board faults (after the acknowledgement 0x50):\n"
    "    no-answer         the board does not answer\n"
    "    bad-frame-sum     answer frame checksum wrong\n"
    "    bad-packet-sum    answer packet checksum wrong, frame checksum right\n"
    "    wrong-id[=XX]     answer identifier XX (default the command + 1)\n"
    "    error[=XX]        error answer 0x73 with code XX (default 05)\n"
    "    status=C          setting commands answer with status C: 1, 2 or a byte in\n"
    "                      hexadecimal (e.g. status=33); other commands are not hit\n"
    "    short[=N]         only N answer data bytes (default half), sums right\n"
    "    truncated[=N]     the answer frame stops after N bytes (default half)\n"
    "    long-len[=XX]     FF 8F 00 XX (XX over 80, default 81) before the answer\n"
    "    corrupt[=I]       answer frame byte I inverted (default the last data byte);\n"
    "                      the checksums are left as they were\n"
    "    corrupt-packet[=I] answer packet byte I inverted (default the last data\n"
    "                      byte), with the frame checksum made right again\n"
    "    garble[=I]        the board gets request packet byte I inverted (default 3,\n"
    "                      the first data byte); the RIB saw the frame intact\n";

namespace
{

// How a kind reads the argument given after '='.
enum class ArgRule {
    None,       // takes none
    Number,     // a decimal count or index
    Byte,       // a hexadecimal byte
    LongLength, // a hexadecimal byte over 0x80
    Status,     // one character, or a hexadecimal byte; needs to be given
    Bytes       // hexadecimal bytes, at least one
};

struct KindRule {
    const char *name;
    FaultKind kind;
    ArgRule rule;
    int byDefault; // the argument when none is given
};

const KindRule kindRules[] = {
    {"no-echo", FaultKind::NoEcho, ArgRule::None, 0},
    {"short-echo", FaultKind::ShortEcho, ArgRule::Number, 4},
    {"bad-echo", FaultKind::BadEcho, ArgRule::Number, FaultAuto},
    {"no-ack", FaultKind::NoAck, ArgRule::None, 0},
    {"nak", FaultKind::Nak, ArgRule::None, 0},
    {"stray", FaultKind::Stray, ArgRule::Bytes, 0},
    {"close", FaultKind::Close, ArgRule::None, 0},
    {"no-answer", FaultKind::NoAnswer, ArgRule::None, 0},
    {"bad-frame-sum", FaultKind::BadFrameSum, ArgRule::None, 0},
    {"bad-packet-sum", FaultKind::BadPacketSum, ArgRule::None, 0},
    {"wrong-id", FaultKind::WrongId, ArgRule::Byte, FaultAuto},
    {"error", FaultKind::Error, ArgRule::Byte, 0x05},
    {"status", FaultKind::Status, ArgRule::Status, 0},
    {"short", FaultKind::Short, ArgRule::Number, FaultAuto},
    {"truncated", FaultKind::Truncated, ArgRule::Number, FaultAuto},
    {"long-len", FaultKind::LongLen, ArgRule::LongLength, 0x81},
    {"corrupt", FaultKind::Corrupt, ArgRule::Number, FaultAuto},
    {"corrupt-packet", FaultKind::CorruptPacket, ArgRule::Number, FaultAuto},
    {"garble", FaultKind::Garble, ArgRule::Number, 3},
};

const Bytes defaultStray = {0x00, 0x55, 0xAA};

bool parseInt(const std::string &s, int base, int &v)
{
    return readNumber(s, base, 0, 100000, v);
}

bool parseByte(const std::string &s, int &v)
{
    std::string t = s;
    if (t.size() > 2 && t[0] == '0' && (t[1] == 'x' || t[1] == 'X'))
        t = t.substr(2);
    return parseInt(t, 16, v) && v <= 0xFF;
}

// The parts of a fault, split at commas and blanks.
std::vector<std::string> splitParts(const std::string &text)
{
    std::vector<std::string> parts;
    std::string cur;
    for (char c : text) {
        if (c == ',' || c == ' ' || c == '\t') {
            if (!cur.empty())
                parts.push_back(cur);
            cur.clear();
        } else {
            cur += c;
        }
    }
    if (!cur.empty())
        parts.push_back(cur);
    return parts;
}

const KindRule *findKind(const std::string &name)
{
    for (const KindRule &k : kindRules)
        if (name == k.name)
            return &k;
    return nullptr;
}

bool readArgument(ArgRule rule, const std::string &arg, Fault &f)
{
    switch (rule) {
    case ArgRule::None:
        return false;
    case ArgRule::Number:
        return parseInt(arg, 10, f.arg);
    case ArgRule::Byte:
        return parseByte(arg, f.arg);
    case ArgRule::LongLength:
        return parseByte(arg, f.arg) && f.arg > 0x80;
    case ArgRule::Status:
        if (arg.size() != 1)
            return parseByte(arg, f.arg);
        f.arg = uint8_t(arg[0]);
        return true;
    case ArgRule::Bytes:
        return fromHex(arg, f.bytes) && !f.bytes.empty();
    }
    return false;
}

// The first part: the kind, and its argument after '=' or its default.
bool readKind(const std::string &part, Fault &f, std::string &err)
{
    const size_t eq = part.find('=');
    const std::string name = part.substr(0, eq);
    const std::string arg = eq == std::string::npos ? std::string() : part.substr(eq + 1);
    const KindRule *k = findKind(name);
    if (!k) {
        err = "unknown fault '" + name + "'";
        return false;
    }
    f.kind = k->kind;
    if (!arg.empty()) {
        if (readArgument(k->rule, arg, f))
            return true;
        err = "bad value '" + arg + "' for " + name;
        return false;
    }
    if (k->rule == ArgRule::Status) {
        err = "status needs a value (1, 2 or a byte)";
        return false;
    }
    f.arg = k->byDefault;
    if (k->rule == ArgRule::Bytes)
        f.bytes = defaultStray;
    return true;
}

// The parts after the first: how many frames, and of which command.
bool readOptions(const std::vector<std::string> &parts, Fault &f, std::string &err)
{
    for (size_t i = 1; i < parts.size(); ++i) {
        const std::string &p = parts[i];
        if (p == "always" || p == "count=always") {
            f.count = -1;
        } else if (p.rfind("count=", 0) == 0) {
            if (!parseInt(p.substr(6), 10, f.count) || f.count == 0) {
                err = "bad count in '" + p + "'";
                return false;
            }
        } else if (p.rfind("cmd=", 0) == 0) {
            if (!parseByte(p.substr(4), f.cmd)) {
                err = "bad command in '" + p + "'";
                return false;
            }
        } else {
            err = "unknown part '" + p + "'";
            return false;
        }
    }
    return true;
}

// True when the fault acts on a frame of this command.
bool hits(const Fault &f, int cmd)
{
    if (f.kind == FaultKind::Status && (cmd < 0 || !Board::isSetting(uint8_t(cmd))))
        return false;
    return f.cmd < 0 || f.cmd == cmd;
}

} // namespace

bool parseFault(const std::string &text, Fault &f, std::string &err)
{
    const std::vector<std::string> parts = splitParts(text);
    if (parts.empty()) {
        err = "empty fault";
        return false;
    }
    f = Fault();
    f.text = text;
    return readKind(parts[0], f, err) && readOptions(parts, f, err);
}

void FrameFaults::add(const Fault &f, int cmd)
{
    int a = f.arg;
    // The answer identifier that follows the command, the error answer left out.
    if (f.kind == FaultKind::WrongId && a == FaultAuto)
        a = (cmd + 1 == AnsError ? cmd + 2 : cmd + 1) & 0xFF;
    args[size_t(f.kind)] = a;
    if (f.kind == FaultKind::Stray)
        strayBytes.insert(strayBytes.end(), f.bytes.begin(), f.bytes.end());
    texts.push_back(f.text);
}

FrameFaults FaultTable::take(int cmd)
{
    FrameFaults ff;
    for (auto it = faults.begin(); it != faults.end();) {
        if (!hits(*it, cmd)) {
            ++it;
            continue;
        }
        ff.add(*it, cmd);
        if (it->count > 0 && --it->count == 0)
            it = faults.erase(it);
        else
            ++it;
    }
    return ff;
}
