#include "faults.h"

#include <cstdlib>
#include <cstring>

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

struct KindName {
    const char *name;
    FaultKind kind;
};

const KindName kindNames[] = {
    {"no-echo", FaultKind::NoEcho},
    {"short-echo", FaultKind::ShortEcho},
    {"bad-echo", FaultKind::BadEcho},
    {"no-ack", FaultKind::NoAck},
    {"nak", FaultKind::Nak},
    {"stray", FaultKind::Stray},
    {"close", FaultKind::Close},
    {"no-answer", FaultKind::NoAnswer},
    {"bad-frame-sum", FaultKind::BadFrameSum},
    {"bad-packet-sum", FaultKind::BadPacketSum},
    {"wrong-id", FaultKind::WrongId},
    {"error", FaultKind::Error},
    {"status", FaultKind::Status},
    {"short", FaultKind::Short},
    {"truncated", FaultKind::Truncated},
    {"long-len", FaultKind::LongLen},
    {"corrupt", FaultKind::Corrupt},
    {"corrupt-packet", FaultKind::CorruptPacket},
    {"garble", FaultKind::Garble},
};

bool parseInt(const std::string &s, int base, int &v)
{
    if (s.empty())
        return false;
    char *end = nullptr;
    long x = std::strtol(s.c_str(), &end, base);
    if (*end || x < 0 || x > 100000)
        return false;
    v = int(x);
    return true;
}

bool parseByte(const std::string &s, int &v)
{
    std::string t = s;
    if (t.size() > 2 && t[0] == '0' && (t[1] == 'x' || t[1] == 'X'))
        t = t.substr(2);
    return parseInt(t, 16, v) && v <= 0xFF;
}

} // namespace

bool parseFault(const std::string &text, Fault &f, std::string &err)
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
    if (parts.empty()) {
        err = "empty fault";
        return false;
    }
    f = Fault();
    f.text = text;
    std::string name = parts[0];
    std::string arg;
    const size_t eq = name.find('=');
    if (eq != std::string::npos) {
        arg = name.substr(eq + 1);
        name = name.substr(0, eq);
    }
    bool found = false;
    for (const KindName &k : kindNames)
        if (name == k.name) {
            f.kind = k.kind;
            found = true;
        }
    if (!found) {
        err = "unknown fault '" + name + "'";
        return false;
    }
    if (!arg.empty()) {
        bool ok = true;
        switch (f.kind) {
        case FaultKind::ShortEcho:
        case FaultKind::BadEcho:
        case FaultKind::Short:
        case FaultKind::Truncated:
        case FaultKind::Corrupt:
        case FaultKind::CorruptPacket:
        case FaultKind::Garble:
            ok = parseInt(arg, 10, f.arg);
            break;
        case FaultKind::WrongId:
        case FaultKind::Error:
            ok = parseByte(arg, f.arg);
            break;
        case FaultKind::LongLen:
            ok = parseByte(arg, f.arg) && f.arg > 0x80;
            break;
        case FaultKind::Status:
            if (arg.size() == 1)
                f.arg = uint8_t(arg[0]);
            else
                ok = parseByte(arg, f.arg);
            break;
        case FaultKind::Stray:
            ok = fromHex(arg, f.bytes) && !f.bytes.empty();
            break;
        default:
            ok = false;
        }
        if (!ok) {
            err = "bad value '" + arg + "' for " + name;
            return false;
        }
    } else if (f.kind == FaultKind::Status) {
        err = "status needs a value (1, 2 or a byte)";
        return false;
    }
    if (f.kind == FaultKind::Stray && f.bytes.empty())
        f.bytes = {0x00, 0x55, 0xAA};
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

FrameFaults FaultTable::take(int cmd)
{
    FrameFaults ff;
    for (auto it = faults.begin(); it != faults.end();) {
        Fault &f = *it;
        bool hit = f.cmd < 0 || f.cmd == cmd;
        if (f.kind == FaultKind::Status && (cmd < 0 || !Board::isSetting(uint8_t(cmd))))
            hit = false;
        if (!hit) {
            ++it;
            continue;
        }
        switch (f.kind) {
        case FaultKind::NoEcho:
            ff.noEcho = true;
            break;
        case FaultKind::ShortEcho:
            ff.shortEcho = f.arg < 0 ? 4 : f.arg;
            break;
        case FaultKind::BadEcho:
            ff.badEcho = f.arg < 0 ? -2 : f.arg;
            break;
        case FaultKind::NoAck:
            ff.noAck = true;
            break;
        case FaultKind::Nak:
            ff.nak = true;
            break;
        case FaultKind::Stray:
            ff.stray.insert(ff.stray.end(), f.bytes.begin(), f.bytes.end());
            break;
        case FaultKind::Close:
            ff.close = true;
            break;
        case FaultKind::NoAnswer:
            ff.noAnswer = true;
            break;
        case FaultKind::BadFrameSum:
            ff.badFrameSum = true;
            break;
        case FaultKind::BadPacketSum:
            ff.badPacketSum = true;
            break;
        case FaultKind::WrongId:
            ff.wrongId = f.arg >= 0 ? f.arg : (cmd + 1 == AnsError ? cmd + 2 : cmd + 1) & 0xFF;
            break;
        case FaultKind::Error:
            ff.error = f.arg >= 0 ? f.arg : 0x05;
            break;
        case FaultKind::Status:
            ff.status = f.arg;
            break;
        case FaultKind::Short:
            ff.shortLen = f.arg >= 0 ? f.arg : -2;
            break;
        case FaultKind::Truncated:
            ff.truncated = f.arg >= 0 ? f.arg : -2;
            break;
        case FaultKind::LongLen:
            ff.longLen = f.arg >= 0 ? f.arg : 0x81;
            break;
        case FaultKind::Corrupt:
            ff.corrupt = f.arg >= 0 ? f.arg : -2;
            break;
        case FaultKind::CorruptPacket:
            ff.corruptPacket = f.arg >= 0 ? f.arg : -2;
            break;
        case FaultKind::Garble:
            ff.garble = f.arg >= 0 ? f.arg : 3;
            break;
        }
        ff.applied.push_back(f.text);
        if (f.count > 0 && --f.count == 0)
            it = faults.erase(it);
        else
            ++it;
    }
    return ff;
}
