#include "board.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <iterator>
#include <sstream>

uint8_t sum8(const Bytes &b)
{
    unsigned s = 0;
    for (uint8_t x : b)
        s += x;
    return uint8_t(s);
}

bool readNumber(const std::string &text, int base, long lo, long hi, int &value)
{
    char *end = nullptr;
    const long x = std::strtol(text.c_str(), &end, base);
    if (text.empty() || *end || x < lo || x > hi)
        return false;
    value = int(x);
    return true;
}

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

// The commands the board knows.
const Board::Command Board::commands[] = {
    {0x74, false, &Board::testConfig, nullptr},  // a configuration to try, not stored
    {0x75, false, &Board::saveConfig, nullptr},  // the configuration to store
    {0x76, false, nullptr, &Board::readConfig},  // the stored configuration
    {0x77, false, &Board::switchTrace, nullptr}, // the trace streams on or off
    {0x78, false, nullptr, &Board::pollTrace},   // the next trace record
    {0x79, true, nullptr, &Board::readIdent},    // the identity record
    {0x80, true, nullptr, &Board::readInfo},     // the board data record
    {0x81, true, &Board::writeInfo, nullptr},    // new board data
    {0x82, false, &Board::writeCodec, nullptr},  // codec registers
    {0x83, false, &Board::setRxCtl, nullptr},    // receiver channel control byte
    {0x84, false, &Board::setMicCtl, nullptr},   // microphone channel control byte
};

const Board::Command *Board::find(uint8_t code)
{
    for (const Command &c : commands)
        if (c.code == code)
            return &c;
    return nullptr;
}

bool Board::isSetting(uint8_t cmd)
{
    const Command *c = find(cmd);
    return c && c->set;
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
    return cfg.size() == ConfigSize && uint8_t(0x5A - sum8(cfg)) == 0;
}

Board::Answer Board::handle(const Bytes &p, SimClock::time_point now, bool &changed)
{
    changed = false;
    // Not a board request packet: the board does not answer.
    if (p.size() < 4 || p[0] != 0x44)
        return Answer();
    const uint8_t code = p[2];
    if (size_t(p[1]) + 2 != p.size())
        return Answer::with(AnsError, {ErrPacketLength});
    // The checksum first: a command byte that came damaged is not taken for an unknown one.
    if (sum8(p) != 0)
        return isSetting(code) ? Answer::with(code, {StatusChecksum})
                               : Answer::with(AnsError, {ErrPacketChecksum});
    const Command *c = find(code);
    if (!c || (c->needsIdentity && !rec.identity))
        return Answer::with(AnsError, {ErrUnknownCommand});
    if (c->read)
        return Answer::with(code, (this->*c->read)(now));
    const uint8_t status = (this->*c->set)(Bytes(p.begin() + 3, p.end() - 1), now);
    changed = status == StatusDone;
    return Answer::with(code, {status});
}

namespace
{

// Keeps data as the record when it is fit for it.
uint8_t keep(Bytes &record, const Bytes &data, bool fit)
{
    if (!fit)
        return StatusFailed;
    record = data;
    return StatusDone;
}

// Keeps a one-byte setting.
uint8_t keepByte(uint8_t &setting, const Bytes &data)
{
    if (data.size() != 1)
        return StatusFailed;
    setting = data[0];
    return StatusDone;
}

} // namespace

uint8_t Board::testConfig(const Bytes &data, SimClock::time_point)
{
    return keep(rec.test, data, configValid(data));
}

uint8_t Board::saveConfig(const Bytes &data, SimClock::time_point)
{
    return keep(rec.config, data, configValid(data));
}

Bytes Board::readConfig(SimClock::time_point)
{
    return rec.config;
}

// Switches the trace streams of the mask on and the others off; the count of records
// made starts again.
uint8_t Board::switchTrace(const Bytes &data, SimClock::time_point now)
{
    if (data.size() != 1)
        return StatusFailed;
    rec.traceMask = data[0];
    traceStart = now;
    traceMade = 0;
    if (!rec.traceMask)
        pending.clear();
    return StatusDone;
}

// The oldest trace record waiting, or no data when none is.
Bytes Board::pollTrace(SimClock::time_point now)
{
    produceTrace(now);
    if (pending.empty())
        return {};
    Bytes r = pending.front();
    pending.pop_front();
    return r;
}

Bytes Board::readIdent(SimClock::time_point)
{
    return rec.ident;
}

Bytes Board::readInfo(SimClock::time_point)
{
    return rec.info;
}

uint8_t Board::writeInfo(const Bytes &data, SimClock::time_point)
{
    return keep(rec.info, data, data.size() == InfoSize);
}

// A count of register pairs, then each register with its value.
uint8_t Board::writeCodec(const Bytes &data, SimClock::time_point)
{
    if (data.empty() || data.size() != size_t(data[0]) * 2 + 1)
        return StatusFailed;
    for (size_t i = 1; i + 1 < data.size(); i += 2)
        rec.codec[data[i]] = data[i + 1];
    return StatusDone;
}

uint8_t Board::setRxCtl(const Bytes &data, SimClock::time_point)
{
    return keepByte(rec.rxCtl, data);
}

uint8_t Board::setMicCtl(const Bytes &data, SimClock::time_point)
{
    return keepByte(rec.micCtl, data);
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

namespace
{

// The lines of the state file, in their order: a record of bytes or a one-byte setting, and
// how a line read back is taken.
struct StateLine {
    enum Load { Exact, ExactOrEmpty, Ignored };
    const char *key;
    Bytes BoardRecords::*record;
    uint8_t BoardRecords::*setting;
    size_t size;
    Load load;

    Bytes value(const BoardRecords &r) const { return record ? r.*record : Bytes{r.*setting}; }
    void store(BoardRecords &r, const Bytes &b) const
    {
        if (record)
            r.*record = b;
        else
            r.*setting = b[0];
    }
};

const StateLine stateLines[] = {
    {"config", &BoardRecords::config, nullptr, ConfigSize, StateLine::Exact},
    {"ident", &BoardRecords::ident, nullptr, IdentSize, StateLine::Exact},
    {"info", &BoardRecords::info, nullptr, InfoSize, StateLine::Exact},
    // Empty until a test configuration arrives.
    {"test", &BoardRecords::test, nullptr, ConfigSize, StateLine::ExactOrEmpty},
    {"rxctl", nullptr, &BoardRecords::rxCtl, 1, StateLine::Exact},
    {"micctl", nullptr, &BoardRecords::micCtl, 1, StateLine::Exact},
    // The trace switch does not survive a restart of the board.
    {"trace", nullptr, &BoardRecords::traceMask, 1, StateLine::Ignored},
    {"codec", &BoardRecords::codec, nullptr, CodecSize, StateLine::Exact},
};

// Takes one "key=hex" line into the records; false with the reason in why.
bool readStateLine(const std::string &line, BoardRecords &rec, std::string &why)
{
    const size_t eq = line.find('=');
    if (eq == std::string::npos) {
        why = "no '='";
        return false;
    }
    const std::string key = line.substr(0, eq);
    Bytes b;
    if (!fromHex(line.substr(eq + 1), b)) {
        why = "bad hex";
        return false;
    }
    const StateLine *l = std::find_if(std::begin(stateLines), std::end(stateLines),
                                      [&](const StateLine &s) { return key == s.key; });
    if (l == std::end(stateLines)) {
        why = "unknown key " + key;
        return false;
    }
    if (l->load == StateLine::Ignored)
        return true;
    if (b.size() != l->size && !(b.empty() && l->load == StateLine::ExactOrEmpty)) {
        why = key + " needs " + std::to_string(l->size) + " bytes";
        return false;
    }
    l->store(rec, b);
    return true;
}

} // namespace

std::string Board::serialize() const
{
    std::ostringstream s;
    s << "# Q-275 board simulator state\n";
    for (const StateLine &l : stateLines)
        s << l.key << "=" << toHex(l.value(rec), "") << "\n";
    return s.str();
}

bool Board::parse(const std::string &text, std::string &err)
{
    std::istringstream in(text);
    std::string line;
    for (int no = 1; std::getline(in, line); ++no) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.empty() || line[0] == '#')
            continue;
        std::string why;
        if (!readStateLine(line, rec, why)) {
            err = "line " + std::to_string(no) + ": " + why;
            return false;
        }
    }
    return true;
}
