#include "board.h"

#include <cctype>
#include <cmath>
#include <sstream>

namespace
{

uint8_t sum8(const Bytes &b, size_t from = 0, size_t to = SIZE_MAX)
{
    unsigned s = 0;
    for (size_t i = from; i < b.size() && i < to; ++i)
        s += b[i];
    return uint8_t(s);
}

} // namespace

std::string toHex(const Bytes &b, const char *sep)
{
    static const char digits[] = "0123456789ABCDEF";
    std::string s;
    for (size_t i = 0; i < b.size(); ++i) {
        if (i && sep)
            s += sep;
        s += digits[b[i] >> 4];
        s += digits[b[i] & 0x0F];
    }
    return s;
}

bool fromHex(const std::string &text, Bytes &out)
{
    out.clear();
    int hi = -1;
    for (size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c == ' ' || c == ':' || c == '\t' || c == '-')
            continue;
        if (c == '0' && i + 1 < text.size() && (text[i + 1] == 'x' || text[i + 1] == 'X') &&
            hi < 0) {
            ++i;
            continue;
        }
        int v;
        if (c >= '0' && c <= '9')
            v = c - '0';
        else if (c >= 'a' && c <= 'f')
            v = c - 'a' + 10;
        else if (c >= 'A' && c <= 'F')
            v = c - 'A' + 10;
        else
            return false;
        if (hi < 0) {
            hi = v;
        } else {
            out.push_back(uint8_t(hi << 4 | v));
            hi = -1;
        }
    }
    return hi < 0;
}

Board::Board()
{
    rec.config = defaultConfig();
    rec.ident = defaultIdent();
    rec.info = defaultInfo();
    rec.rxCtl = rec.config[0];
    rec.micCtl = rec.config[0];
}

bool Board::isSetting(uint8_t cmd)
{
    switch (cmd) {
    case CmdTestCfg:
    case CmdSaveCfg:
    case CmdTrace:
    case CmdInfoWrite:
    case CmdCodec:
    case CmdRxCtl:
    case CmdMicCtl:
        return true;
    default:
        return false;
    }
}

Bytes Board::defaultConfig()
{
    Bytes c = {0x0F, 0x04, 0x00, 0x73, 0x64, 0x8F, 0x41, 0x80, 0x00, 0x00,
               0x16, 0x73, 0x64, 0x8F, 0x41, 0x80, 0x00, 0x00, 0x00};
    c.push_back(uint8_t(0x5A - sum8(c)));
    return c;
}

Bytes Board::defaultIdent()
{
    // Software 1.3, controller 0x0080 revision 0x0003, its 12-byte serial number.
    return {0x01, 0x03, 0x00, 0x80, 0x00, 0x03, 0x3A, 0x00, 0x1F,
            0x00, 0x0D, 0x51, 0x33, 0x30, 0x32, 0x38, 0x39, 0x34};
}

Bytes Board::defaultInfo()
{
    // Serial number 275, made on 15.03.2011, then the maker's 16 bytes.
    return {0x13, 0x01, 0xDB, 0x07, 0x03, 0x0F, 0x51, 0x32, 0x37, 0x35, 0x2D,
            0x53, 0x49, 0x4D, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xA5, 0x5A};
}

bool Board::configValid(const Bytes &cfg)
{
    return cfg.size() == 20 && uint8_t(0x5A - sum8(cfg)) == 0;
}

namespace
{
Board::Answer makeAnswer(uint8_t id, Bytes data)
{
    Board::Answer a;
    a.none = false;
    a.id = id;
    a.data = std::move(data);
    return a;
}
} // namespace

Board::Answer Board::handle(const Bytes &p, SimClock::time_point now, bool &changed)
{
    changed = false;
    // Not a board request packet: the board does not answer.
    if (p.size() < 4 || p[0] != 0x44)
        return Answer();
    const uint8_t cmd = p[2];
    if (size_t(p[1]) + 2 != p.size())
        return makeAnswer(AnsError, {ErrPacketLength});
    // The checksum first: a command byte that came damaged is not taken for an unknown one.
    if (sum8(p) != 0)
        return isSetting(cmd) ? makeAnswer(cmd, {StatusChecksum})
                              : makeAnswer(AnsError, {ErrPacketChecksum});
    const bool known =
        (cmd >= CmdTestCfg && cmd <= CmdIdent) || (cmd >= CmdInfoRead && cmd <= CmdMicCtl);
    if (!known)
        return makeAnswer(AnsError, {ErrUnknownCommand});
    Bytes data(p.begin() + 3, p.end() - 1);
    return execute(cmd, data, now, changed);
}

Board::Answer Board::execute(uint8_t cmd, const Bytes &d, SimClock::time_point now, bool &changed)
{
    switch (cmd) {
    case CmdTestCfg:
    case CmdSaveCfg:
        if (!configValid(d))
            return makeAnswer(cmd, {StatusFailed});
        if (cmd == CmdTestCfg)
            rec.test = d;
        else
            rec.config = d;
        changed = true;
        return makeAnswer(cmd, {StatusDone});
    case CmdReadCfg:
        return makeAnswer(cmd, rec.config);
    case CmdTrace:
        if (d.size() != 1)
            return makeAnswer(cmd, {StatusFailed});
        rec.traceMask = d[0];
        traceStart = now;
        traceMade = 0;
        if (!rec.traceMask)
            pending.clear();
        changed = true;
        return makeAnswer(cmd, {StatusDone});
    case CmdTracePoll: {
        produceTrace(now);
        if (pending.empty())
            return makeAnswer(cmd, {});
        Bytes r = pending.front();
        pending.pop_front();
        return makeAnswer(cmd, r);
    }
    case CmdIdent:
        if (!rec.identity)
            return makeAnswer(AnsError, {ErrUnknownCommand});
        return makeAnswer(cmd, rec.ident);
    case CmdInfoRead:
        if (!rec.identity)
            return makeAnswer(AnsError, {ErrUnknownCommand});
        return makeAnswer(cmd, rec.info);
    case CmdInfoWrite:
        if (!rec.identity)
            return makeAnswer(AnsError, {ErrUnknownCommand});
        if (d.size() != 22)
            return makeAnswer(cmd, {StatusFailed});
        rec.info = d;
        changed = true;
        return makeAnswer(cmd, {StatusDone});
    case CmdCodec: {
        if (d.empty() || d.size() != size_t(d[0]) * 2 + 1)
            return makeAnswer(cmd, {StatusFailed});
        for (size_t i = 1; i + 1 < d.size(); i += 2)
            rec.codec[d[i]] = d[i + 1];
        changed = true;
        return makeAnswer(cmd, {StatusDone});
    }
    case CmdRxCtl:
    case CmdMicCtl:
        if (d.size() != 1)
            return makeAnswer(cmd, {StatusFailed});
        (cmd == CmdRxCtl ? rec.rxCtl : rec.micCtl) = d[0];
        changed = true;
        return makeAnswer(cmd, {StatusDone});
    default:
        return makeAnswer(AnsError, {ErrUnknownCommand});
    }
}

void Board::injectTrace(const Bytes &r)
{
    Bytes c = r;
    if (c.size() > 62)
        c.resize(62);
    pending.push_back(c);
}

// The four streams (radio SPI receive, I2C transmit, Prois receive and transmit)
// carry counters here: record k of channel c is k, then c * 0x10 + i for a few i.
void Board::produceTrace(SimClock::time_point now)
{
    const uint8_t streams = rec.traceMask & 0x0F;
    if (!streams || traceRate <= 0)
        return;
    const double secs = std::chrono::duration<double>(now - traceStart).count();
    const uint64_t due = uint64_t(std::floor(secs * traceRate)) + 1;
    while (traceMade < due) {
        // Round robin over the chosen streams.
        int chosen[4];
        int n = 0;
        for (int c = 0; c < 4; ++c)
            if (streams & (1 << c))
                chosen[n++] = c;
        const int ch = chosen[traceMade % n];
        Bytes r;
        r.push_back(uint8_t(ch));
        r.push_back(uint8_t(traceMade));
        const int extra = int(traceMade % 6);
        for (int i = 0; i < extra; ++i)
            r.push_back(uint8_t(ch * 0x10 + i));
        pending.push_back(r);
        if (pending.size() > 256)
            pending.pop_front();
        ++traceMade;
    }
}

std::string Board::serialize() const
{
    std::ostringstream s;
    s << "# Q-275 board simulator state\n";
    s << "config=" << toHex(rec.config, "") << "\n";
    s << "ident=" << toHex(rec.ident, "") << "\n";
    s << "info=" << toHex(rec.info, "") << "\n";
    s << "test=" << toHex(rec.test, "") << "\n";
    s << "rxctl=" << toHex({rec.rxCtl}, "") << "\n";
    s << "micctl=" << toHex({rec.micCtl}, "") << "\n";
    s << "trace=" << toHex({rec.traceMask}, "") << "\n";
    s << "codec=" << toHex(Bytes(rec.codec.begin(), rec.codec.end()), "") << "\n";
    return s.str();
}

bool Board::parse(const std::string &text, std::string &err)
{
    std::istringstream in(text);
    std::string line;
    int no = 0;
    while (std::getline(in, line)) {
        ++no;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.empty() || line[0] == '#')
            continue;
        const size_t eq = line.find('=');
        if (eq == std::string::npos) {
            err = "line " + std::to_string(no) + ": no '='";
            return false;
        }
        const std::string key = line.substr(0, eq);
        const std::string val = line.substr(eq + 1);
        Bytes b;
        if (!fromHex(val, b)) {
            err = "line " + std::to_string(no) + ": bad hex";
            return false;
        }
        auto need = [&](size_t n) {
            if (b.size() == n)
                return true;
            err = "line " + std::to_string(no) + ": " + key + " needs " + std::to_string(n) +
                  " bytes";
            return false;
        };
        if (key == "config") {
            if (!need(20))
                return false;
            rec.config = b;
        } else if (key == "ident") {
            if (!need(18))
                return false;
            rec.ident = b;
        } else if (key == "info") {
            if (!need(22))
                return false;
            rec.info = b;
        } else if (key == "test") {
            if (!b.empty() && !need(20))
                return false;
            rec.test = b;
        } else if (key == "rxctl" || key == "micctl") {
            if (!need(1))
                return false;
            (key == "rxctl" ? rec.rxCtl : rec.micCtl) = b[0];
        } else if (key == "codec") {
            if (!need(256))
                return false;
            std::copy(b.begin(), b.end(), rec.codec.begin());
        } else if (key == "trace") {
            // The trace switch does not survive a restart of the board.
        } else {
            err = "line " + std::to_string(no) + ": unknown key " + key;
            return false;
        }
    }
    return true;
}
