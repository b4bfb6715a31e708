// q275-sim: a stand-in for the MOTOROLA RIB, the radio and the Q-275 option board
// on a pseudo-terminal, so that the terminal can be run and tested without hardware.

#include "board.h"
#include "faults.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <fcntl.h>
#include <fstream>
#include <poll.h>
#include <sstream>
#include <string>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>
#ifdef __linux__
#include <sys/prctl.h>
#endif

namespace
{

const char *const usage =
    "Usage: q275-sim [OPTIONS]\n"
    "\n"
    "Plays the MOTOROLA RIB, the radio and the Q-275 option board on a pseudo-\n"
    "terminal, so that the Q-275 terminal can be tried and tested without hardware.\n"
    "It prints the serial device it made (e.g. /dev/pts/7) as its first line; give\n"
    "that name, or the --link name, to the terminal as its port (first line of\n"
    "Q275.ini). It runs until it is stopped (Ctrl+C, or 'quit' on the control FIFO).\n"
    "\n"
    "The RIB echoes every byte, answers each complete frame with 0x50 (or 0x60 when\n"
    "the frame checksum is wrong), and the board then sends its answer frame.\n"
    "\n"
    "Options:\n"
    "  --link PATH       also make PATH a symbolic link to the serial device\n"
    "  --state FILE      keep the board's records in FILE across runs (read at\n"
    "                    start, rewritten after every change)\n"
    "  --log FILE        write one line per frame received and sent into FILE\n"
    "  --control FIFO    make a FIFO that takes commands while running (see below)\n"
    "  --fault FAULT     play a fault (may be given several times; see below)\n"
    "  --no-pacing       send bytes at once instead of at the line rate\n"
    "  --baud N          line rate for the pacing (default 9600)\n"
    "  --latency MS      time the board takes to answer (default 20 ms)\n"
    "  --no-identity     a board without identity data: 0x79 and 0x80 get the\n"
    "                    error answer\n"
    "  --config HEX      configuration record, 20 bytes (default: a new record)\n"
    "  --ident HEX       identity record, 18 bytes\n"
    "  --info HEX        board data record, 22 bytes\n"
    "  --trace-rate N    trace records made per second while tracing (default 4;\n"
    "                    0: only records queued through the control FIFO)\n"
    "  --with-parent     stop when the program that started the simulator ends\n"
    "  --help            this text\n"
    "\n"
    "Control FIFO commands, one a line:\n"
    "  fault FAULT       play a fault\n"
    "  clear             drop all faults\n"
    "  trace HEX         queue a trace record (channel byte, then data bytes)\n"
    "  latency MS        change the board latency\n"
    "  identity on|off   board with or without identity data\n"
    "  config|ident|info HEX   replace a record\n"
    "  quit              stop the simulator\n"
    "Each command is confirmed in the frame log as 'ctl N ...'.\n"
    "\n";

const char *const logHelp =
    "Frame log lines: milliseconds since start, then one of\n"
    "  rx req HEX        request frame received (frame checksum right)\n"
    "  rx bad HEX        request frame with a wrong frame checksum\n"
    "  rx junk HEX       bytes outside a frame, or a frame left unfinished\n"
    "  tx echo HEX       the echo of the frame, as sent back\n"
    "  tx ack 50 | tx nak 60\n"
    "  tx stray HEX      stray bytes before the acknowledgement\n"
    "  tx noise HEX      frame start with a length over 0x80\n"
    "  tx ans HEX        answer frame\n"
    "  fault XX FAULT    a fault acted on a frame of command XX (-- without one)\n"
    "  ctl N TEXT        control command N done ('ctl N error: ...' if refused)\n"
    "  line open PATH | line close\n"
    "\n"
    "Board error codes after the error answer 0x73: 01 unknown command,\n"
    "02 packet checksum wrong, 03 packet length wrong. Setting commands answer\n"
    "status '1' for a wrong packet checksum and '2' for wrong data (length, or a\n"
    "configuration whose checksum is wrong).\n";

volatile sig_atomic_t stopSignal = 0;
void onSignal(int)
{
    stopSignal = 1;
}

struct Options {
    std::string link, state, log, control;
    std::vector<Fault> faults;
    bool pacing = true;
    int baud = 9600;
    int latency = 20;
    bool noIdentity = false;
    Bytes config, ident, info;
    double traceRate = 4.0;
    bool withParent = false;
};

struct OutItem {
    Bytes bytes;
    size_t pos = 0;
    int delayMs = 0;
    bool armed = false;
    SimClock::time_point at;
    std::string logKind; // "tx <kind>" line when the last byte has gone
    Bytes logBytes;      // bytes for the log line, when not the item's own
    bool closeLine = false;
};

class Simulator
{
public:
    explicit Simulator(const Options &o) : opt(o)
    {
        start = SimClock::now();
        for (const Fault &f : o.faults)
            faults.add(f);
    }
    ~Simulator() { shutdown(); }

    bool init(std::string &err);
    int run();

private:
    // Line.
    bool openLine(std::string &err);
    void closeLine();
    void linger(int maxMs);
    // Log.
    void logLine(const std::string &text);
    double ms(SimClock::time_point t) const
    {
        return std::chrono::duration<double, std::milli>(t - start).count();
    }
    // State file.
    void saveState();
    // Input side (the RIB).
    void feed(uint8_t b);
    void decide();
    void echoFrameByte(size_t i);
    void completeFrame();
    void abortFrame();
    void flushJunk();
    void flushEcho(bool last);
    void push(OutItem it) { out.push_back(std::move(it)); }
    Bytes answerFrame(const Board::Answer &a, const FrameFaults &ff, int cmd);
    // Output side.
    void pump();
    // Control.
    void readControl();
    void command(const std::string &line);
    void shutdown();

    Options opt;
    Board board;
    FaultTable faults;
    SimClock::time_point start;
    SimClock::time_point now;

    int master = -1, slave = -1;
    std::string slavePath;
    FILE *logFile = nullptr;
    int ctlRead = -1, ctlWrite = -1;
    std::string ctlBuf;
    int ctlCount = 0;
    bool quit = false;
    bool shutDone = false;

    // Frame reception.
    enum class St { Idle, Frame } st = St::Idle;
    Bytes frame;
    bool decided = false;
    size_t echoed = 0; // bytes of the frame already passed to the echo
    FrameFaults ff;
    Bytes frameEcho; // what went back for this frame
    Bytes echoBuf;   // echo bytes not yet queued
    Bytes junk;
    SimClock::time_point lastByte;

    // Transmission.
    std::deque<OutItem> out;
    SimClock::time_point nextByte;
    SimClock::time_point lastDone;
    bool wantOut = false;
    SimClock::duration byteTime;
};

bool Simulator::init(std::string &err)
{
    byteTime = std::chrono::duration_cast<SimClock::duration>(
        std::chrono::duration<double>(10.0 / opt.baud));
    board.setTraceRate(opt.traceRate);
    if (!opt.state.empty()) {
        std::ifstream in(opt.state);
        if (in) {
            std::stringstream ss;
            ss << in.rdbuf();
            std::string e;
            if (!board.parse(ss.str(), e)) {
                err = opt.state + ": " + e;
                return false;
            }
        }
    }
    BoardRecords &r = board.records();
    if (!opt.config.empty())
        r.config = opt.config;
    if (!opt.ident.empty())
        r.ident = opt.ident;
    if (!opt.info.empty())
        r.info = opt.info;
    r.identity = !opt.noIdentity;
    if (!opt.log.empty()) {
        logFile = std::fopen(opt.log.c_str(), "w");
        if (!logFile) {
            err = opt.log + ": " + std::strerror(errno);
            return false;
        }
    }
    if (!opt.control.empty()) {
        struct stat sb;
        if (lstat(opt.control.c_str(), &sb) == 0) {
            if (!S_ISFIFO(sb.st_mode)) {
                err = opt.control + ": exists and is not a FIFO";
                return false;
            }
        } else if (mkfifo(opt.control.c_str(), 0600) != 0) {
            err = opt.control + ": " + std::strerror(errno);
            return false;
        }
        ctlRead = open(opt.control.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        // Our own writer keeps the FIFO from reporting end-of-file between writers.
        ctlWrite = open(opt.control.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
        if (ctlRead < 0 || ctlWrite < 0) {
            err = opt.control + ": " + std::strerror(errno);
            return false;
        }
    }
    // The state file is complete before the device is announced.
    saveState();
    return openLine(err);
}

bool Simulator::openLine(std::string &err)
{
    master = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0) {
        err = std::string("pseudo-terminal: ") + std::strerror(errno);
        return false;
    }
    fcntl(master, F_SETFD, FD_CLOEXEC);
    const char *name = ptsname(master);
    if (!name) {
        err = "pseudo-terminal has no name";
        return false;
    }
    slavePath = name;
    // We hold the device open for our whole life: otherwise every close by the
    // terminal would hang the line up.
    slave = open(name, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (slave < 0) {
        err = slavePath + ": " + std::strerror(errno);
        return false;
    }
    termios t;
    if (tcgetattr(slave, &t) == 0) {
        cfmakeraw(&t);
        cfsetispeed(&t, B9600);
        cfsetospeed(&t, B9600);
        t.c_cflag |= CLOCAL | CREAD;
        tcsetattr(slave, TCSANOW, &t);
    }
    if (!opt.link.empty()) {
        struct stat sb;
        if (lstat(opt.link.c_str(), &sb) == 0) {
            if (!S_ISLNK(sb.st_mode)) {
                err = opt.link + ": exists and is not a symbolic link";
                return false;
            }
            unlink(opt.link.c_str());
        }
        if (symlink(slavePath.c_str(), opt.link.c_str()) != 0) {
            err = opt.link + ": " + std::strerror(errno);
            return false;
        }
    }
    std::printf("%s\n", slavePath.c_str());
    std::fflush(stdout);
    logLine("line open " + slavePath);
    st = St::Idle;
    frame.clear();
    junk.clear();
    nextByte = SimClock::now();
    return true;
}

// Lets the terminal read what is still on its way before the line goes.
void Simulator::linger(int maxMs)
{
    for (int waited = 0; waited < maxMs && slave >= 0; waited += 10) {
        int queued = 0;
        if (ioctl(slave, FIONREAD, &queued) != 0 || queued == 0)
            break;
        usleep(10000);
    }
    usleep(20000);
}

void Simulator::closeLine()
{
    if (master < 0)
        return;
    linger(500);
    close(master);
    close(slave);
    master = slave = -1;
    logLine("line close");
}

void Simulator::logLine(const std::string &text)
{
    if (!logFile)
        return;
    std::fprintf(logFile, "%.3f %s\n", ms(SimClock::now()), text.c_str());
    std::fflush(logFile);
}

void Simulator::saveState()
{
    if (opt.state.empty())
        return;
    const std::string tmp = opt.state + ".tmp";
    {
        std::ofstream o(tmp, std::ios::trunc);
        if (!o) {
            std::fprintf(stderr, "q275-sim: cannot write %s\n", tmp.c_str());
            return;
        }
        o << board.serialize();
        o.flush();
        if (!o) {
            std::fprintf(stderr, "q275-sim: cannot write %s\n", tmp.c_str());
            return;
        }
    }
    if (std::rename(tmp.c_str(), opt.state.c_str()) != 0)
        std::fprintf(stderr, "q275-sim: cannot replace %s\n", opt.state.c_str());
}

// ---- The RIB: frames from the terminal ----

void Simulator::flushJunk()
{
    if (junk.empty())
        return;
    logLine("rx junk " + toHex(junk));
    junk.clear();
}

void Simulator::flushEcho(bool last)
{
    if (echoBuf.empty() && !last)
        return;
    OutItem it;
    it.bytes = echoBuf;
    if (last) {
        it.logKind = "echo";
        it.logBytes = frameEcho;
    }
    echoBuf.clear();
    push(std::move(it));
}

void Simulator::feed(uint8_t b)
{
    lastByte = now;
    if (st == St::Idle) {
        if (b == 0xFF) {
            flushJunk();
            st = St::Frame;
            frame.assign(1, b);
            decided = false;
            echoed = 0;
            frameEcho.clear();
            ff = FrameFaults();
        } else {
            junk.push_back(b);
            echoBuf.push_back(b);
        }
        return;
    }
    frame.push_back(b);
    const size_t n = frame.size();
    if ((n == 2 && b != 0x2F) || (n == 3 && b != 0x00)) {
        abortFrame();
        return;
    }
    if (n < 4)
        return;
    const size_t total = size_t(frame[3]) + 4;
    if (!decided && (n >= 7 || n == total))
        decide();
    else if (decided)
        echoFrameByte(n - 1);
    if (n == total)
        completeFrame();
}

// The faults are chosen once the command byte is known; until then the frame's
// first bytes wait, so that even they can be left out of the echo.
void Simulator::decide()
{
    decided = true;
    const int cmd = frame.size() >= 7 ? frame[6] : -1;
    ff = faults.take(cmd);
    for (const std::string &t : ff.applied) {
        char c[8];
        std::snprintf(c, sizeof c, cmd < 0 ? "--" : "%02X", cmd & 0xFF);
        logLine(std::string("fault ") + c + " " + t);
    }
    for (size_t i = 0; i < frame.size(); ++i)
        echoFrameByte(i);
}

void Simulator::echoFrameByte(size_t i)
{
    echoed = i + 1;
    if (ff.noEcho)
        return;
    if (ff.shortEcho >= 0 && int(i) >= ff.shortEcho)
        return;
    uint8_t b = frame[i];
    const size_t last = size_t(frame[3]) + 3;
    if (ff.badEcho != -1) {
        const size_t at = ff.badEcho == -2 ? last : std::min(size_t(ff.badEcho), last);
        if (i == at)
            b = uint8_t(~b);
    }
    echoBuf.push_back(b);
    frameEcho.push_back(b);
}

void Simulator::abortFrame()
{
    // Not a request frame after all: its first byte is junk, the rest is looked at again.
    Bytes rest(frame.begin() + 1, frame.end());
    st = St::Idle;
    junk.push_back(frame[0]);
    echoBuf.push_back(frame[0]);
    frame.clear();
    for (uint8_t x : rest)
        feed(x);
}

void Simulator::completeFrame()
{
    st = St::Idle;
    unsigned sum = 0;
    for (uint8_t x : frame)
        sum += x;
    const bool ok = uint8_t(sum) == 0xFF;
    logLine(std::string(ok ? "rx req " : "rx bad ") + toHex(frame));
    // A RIB that lost the frame says nothing more.
    if (ff.noEcho || ff.shortEcho >= 0 || ff.badEcho != -1) {
        flushEcho(!frameEcho.empty());
        return;
    }
    flushEcho(true);
    if (ff.close) {
        OutItem it;
        it.closeLine = true;
        push(std::move(it));
        return;
    }
    if (!ff.stray.empty()) {
        OutItem it;
        it.bytes = ff.stray;
        it.logKind = "stray";
        push(std::move(it));
    }
    if (!ok || ff.nak) {
        OutItem it;
        it.bytes = {0x60};
        it.logKind = "nak";
        push(std::move(it));
        return;
    }
    if (ff.noAck)
        return;
    {
        OutItem it;
        it.bytes = {0x50};
        it.logKind = "ack";
        push(std::move(it));
    }
    // The radio hands the packet (without the frame checksum) to the board.
    Bytes packet;
    if (frame.size() > 5)
        packet.assign(frame.begin() + 4, frame.end() - 1);
    if (ff.garble >= 0 && size_t(ff.garble) < packet.size())
        packet[size_t(ff.garble)] = uint8_t(~packet[size_t(ff.garble)]);
    const int cmd = packet.size() >= 3 ? packet[2] : -1;
    Board::Answer a;
    bool changed = false;
    if (ff.error >= 0 && cmd >= 0) {
        a.none = false;
        a.id = AnsError;
        a.data = {uint8_t(ff.error)};
    } else if (ff.status >= 0 && cmd >= 0) {
        a.none = false;
        a.id = uint8_t(cmd);
        a.data = {uint8_t(ff.status)};
    } else {
        a = board.handle(packet, now, changed);
    }
    if (changed)
        saveState();
    if (a.none || ff.noAnswer)
        return;
    if (ff.longLen >= 0) {
        OutItem it;
        it.bytes = {0xFF, 0x8F, 0x00, uint8_t(ff.longLen)};
        it.delayMs = opt.latency;
        it.logKind = "noise";
        push(std::move(it));
    }
    OutItem it;
    it.bytes = answerFrame(a, ff, cmd);
    it.delayMs = ff.longLen >= 0 ? 0 : opt.latency;
    it.logKind = "ans";
    push(std::move(it));
}

Bytes Simulator::answerFrame(const Board::Answer &a, const FrameFaults &f, int cmd)
{
    Bytes data = a.data;
    if (f.shortLen != -1) {
        const size_t keep = f.shortLen == -2 ? data.size() / 2 : size_t(f.shortLen);
        if (keep < data.size())
            data.resize(keep);
    }
    uint8_t id = a.id;
    if (f.wrongId >= 0 && cmd >= 0)
        id = uint8_t(f.wrongId);
    Bytes packet = {0x43, uint8_t(data.size() + 2), id};
    packet.insert(packet.end(), data.begin(), data.end());
    unsigned s = 0;
    for (uint8_t x : packet)
        s += x;
    uint8_t psum = uint8_t(0x100 - (s & 0xFF));
    if (f.badPacketSum)
        psum ^= 0x01;
    packet.push_back(psum);
    if (f.corruptPacket != -1) {
        const size_t at = f.corruptPacket == -2 ? packet.size() - 2 : size_t(f.corruptPacket);
        if (at < packet.size())
            packet[at] = uint8_t(~packet[at]);
    }
    Bytes fr = {0xFF, 0x8F, 0x00, uint8_t(packet.size() + 1)};
    fr.insert(fr.end(), packet.begin(), packet.end());
    s = 0;
    for (uint8_t x : fr)
        s += x;
    uint8_t fsum = uint8_t(0xFF - (s & 0xFF));
    if (f.badFrameSum)
        fsum ^= 0x01;
    fr.push_back(fsum);
    if (f.corrupt != -1) {
        // Default: the last data byte (the identifier when there is no data).
        size_t at = f.corrupt == -2 ? fr.size() - 3 : size_t(f.corrupt);
        if (at < fr.size())
            fr[at] = uint8_t(~fr[at]);
    }
    if (f.truncated != -1) {
        const size_t keep = f.truncated == -2 ? fr.size() / 2 : size_t(f.truncated);
        if (keep < fr.size())
            fr.resize(keep);
    }
    return fr;
}

// ---- Transmission at the line rate ----

void Simulator::pump()
{
    wantOut = false;
    while (!out.empty() && master >= 0) {
        OutItem &it = out.front();
        if (!it.armed) {
            it.armed = true;
            it.at = std::max(lastDone, start) + std::chrono::milliseconds(it.delayMs);
        }
        if (now < it.at)
            return;
        if (it.closeLine) {
            out.clear();
            closeLine();
            std::string err;
            if (!openLine(err)) {
                std::fprintf(stderr, "q275-sim: %s\n", err.c_str());
                quit = true;
            }
            lastDone = now = SimClock::now();
            return;
        }
        while (it.pos < it.bytes.size()) {
            size_t n = it.bytes.size() - it.pos;
            if (opt.pacing) {
                if (nextByte + byteTime < now)
                    nextByte = now;
                if (nextByte > now)
                    return;
                n = 1;
            }
            const ssize_t w = write(master, it.bytes.data() + it.pos, n);
            if (w < 0) {
                if (errno == EAGAIN || errno == EWOULDBLOCK) {
                    wantOut = true;
                    return;
                }
                if (errno == EINTR)
                    continue;
                std::fprintf(stderr, "q275-sim: write: %s\n", std::strerror(errno));
                it.pos = it.bytes.size();
                break;
            }
            it.pos += size_t(w);
            if (opt.pacing)
                nextByte += byteTime;
        }
        lastDone = now;
        if (!it.logKind.empty())
            logLine("tx " + it.logKind + " " + toHex(it.logBytes.empty() ? it.bytes : it.logBytes));
        out.pop_front();
    }
}

// ---- Control FIFO ----

void Simulator::readControl()
{
    char buf[512];
    for (;;) {
        const ssize_t r = read(ctlRead, buf, sizeof buf);
        if (r <= 0)
            break;
        ctlBuf.append(buf, size_t(r));
    }
    size_t nl;
    while ((nl = ctlBuf.find('\n')) != std::string::npos) {
        std::string line = ctlBuf.substr(0, nl);
        ctlBuf.erase(0, nl + 1);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (!line.empty())
            command(line);
    }
}

void Simulator::command(const std::string &line)
{
    const int no = ++ctlCount;
    const size_t sp = line.find(' ');
    const std::string verb = line.substr(0, sp);
    const std::string rest = sp == std::string::npos ? std::string() : line.substr(sp + 1);
    std::string err;
    if (verb == "fault") {
        Fault f;
        if (parseFault(rest, f, err))
            faults.add(f);
    } else if (verb == "clear") {
        faults.clear();
    } else if (verb == "trace") {
        Bytes b;
        if (!fromHex(rest, b) || b.empty() || b.size() > 62)
            err = "trace needs 1 to 62 bytes in hexadecimal";
        else
            board.injectTrace(b);
    } else if (verb == "latency") {
        char *end = nullptr;
        const long v = std::strtol(rest.c_str(), &end, 10);
        if (rest.empty() || *end || v < 0 || v > 60000)
            err = "latency needs milliseconds";
        else
            opt.latency = int(v);
    } else if (verb == "identity") {
        if (rest == "on" || rest == "off")
            board.records().identity = rest == "on";
        else
            err = "identity on|off";
    } else if (verb == "config" || verb == "ident" || verb == "info") {
        Bytes b;
        const size_t need = verb == "config" ? 20 : verb == "ident" ? 18 : 22;
        if (!fromHex(rest, b) || b.size() != need) {
            err = verb + " needs " + std::to_string(need) + " bytes";
        } else {
            BoardRecords &r = board.records();
            (verb == "config" ? r.config : verb == "ident" ? r.ident : r.info) = b;
            saveState();
        }
    } else if (verb == "quit") {
        quit = true;
    } else {
        err = "unknown command '" + verb + "'";
    }
    if (err.empty())
        logLine("ctl " + std::to_string(no) + " " + line);
    else
        logLine("ctl " + std::to_string(no) + " error: " + err);
}

void Simulator::shutdown()
{
    if (shutDone)
        return;
    shutDone = true;
    if (master >= 0) {
        // Send what is still queued, within reason, then let it be read.
        const auto until = SimClock::now() + std::chrono::seconds(2);
        while (!out.empty() && SimClock::now() < until) {
            now = SimClock::now();
            pump();
            usleep(1000);
        }
        closeLine();
    }
    if (!opt.link.empty()) {
        struct stat sb;
        if (lstat(opt.link.c_str(), &sb) == 0 && S_ISLNK(sb.st_mode))
            unlink(opt.link.c_str());
    }
    if (ctlRead >= 0) {
        close(ctlRead);
        close(ctlWrite);
        unlink(opt.control.c_str());
    }
    if (logFile)
        std::fclose(logFile);
    logFile = nullptr;
}

int Simulator::run()
{
    sigset_t block, empty;
    sigemptyset(&block);
    sigaddset(&block, SIGTERM);
    sigaddset(&block, SIGINT);
    sigaddset(&block, SIGHUP);
    sigprocmask(SIG_BLOCK, &block, nullptr);
    sigemptyset(&empty);
    lastDone = SimClock::now();
    while (!quit && !stopSignal) {
        now = SimClock::now();
        pump();
        // When to wake up without input: the next byte or item due, or the end of a frame
        // that stopped half-way.
        SimClock::time_point wake = now + std::chrono::seconds(1);
        if (!out.empty() && !wantOut) {
            const OutItem &it = out.front();
            SimClock::time_point due = it.armed ? it.at : now;
            if (opt.pacing && due <= now && it.pos < it.bytes.size())
                due = nextByte;
            wake = std::min(wake, std::max(due, now));
        }
        if (st == St::Frame)
            wake = std::min(wake, lastByte + std::chrono::milliseconds(1000));
        if (!junk.empty())
            wake = std::min(wake, lastByte + std::chrono::milliseconds(100));
        pollfd fds[2];
        int nfds = 0;
        fds[nfds++] = {master, short(POLLIN | (wantOut ? POLLOUT : 0)), 0};
        if (ctlRead >= 0)
            fds[nfds++] = {ctlRead, POLLIN, 0};
        const auto left = std::max(SimClock::duration::zero(), wake - now);
        const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(left).count();
        timespec ts{time_t(ns / 1000000000), long(ns % 1000000000)};
        const int r = ppoll(fds, nfds_t(nfds), &ts, &empty);
        if (r < 0 && errno != EINTR) {
            std::fprintf(stderr, "q275-sim: poll: %s\n", std::strerror(errno));
            return 1;
        }
        now = SimClock::now();
        if (r > 0 && (fds[0].revents & POLLIN)) {
            uint8_t buf[512];
            const ssize_t n = read(master, buf, sizeof buf);
            for (ssize_t i = 0; i < n; ++i)
                feed(buf[i]);
            flushEcho(false);
        }
        if (r > 0 && nfds > 1 && (fds[1].revents & POLLIN))
            readControl();
        // A frame that stopped half-way is given up; stray bytes are logged.
        if (st == St::Frame && now - lastByte >= std::chrono::milliseconds(1000)) {
            if (!decided) {
                for (size_t i = 0; i < frame.size(); ++i)
                    echoBuf.push_back(frame[i]);
                flushEcho(false);
            }
            junk.insert(junk.end(), frame.begin(), frame.end());
            frame.clear();
            st = St::Idle;
            flushJunk();
        }
        if (st == St::Idle && !junk.empty() && now - lastByte >= std::chrono::milliseconds(100))
            flushJunk();
    }
    shutdown();
    return 0;
}

bool takeValue(int &i, int argc, char **argv, const std::string &name, std::string &value)
{
    const std::string a = argv[i];
    if (a.size() > name.size() && a.compare(0, name.size() + 1, name + "=") == 0) {
        value = a.substr(name.size() + 1);
        return true;
    }
    if (a != name)
        return false;
    if (i + 1 >= argc) {
        std::fprintf(stderr, "q275-sim: %s needs a value (see --help)\n", name.c_str());
        std::exit(2);
    }
    value = argv[++i];
    return true;
}

[[noreturn]] void bad(const std::string &msg)
{
    std::fprintf(stderr, "q275-sim: %s (see --help)\n", msg.c_str());
    std::exit(2);
}

int toInt(const std::string &v, const std::string &name, long lo, long hi)
{
    char *end = nullptr;
    const long x = std::strtol(v.c_str(), &end, 10);
    if (v.empty() || *end || x < lo || x > hi)
        bad(name + ": '" + v + "' is not a number from " + std::to_string(lo) + " to " +
            std::to_string(hi));
    return int(x);
}

Bytes toRecord(const std::string &v, const std::string &name, size_t size)
{
    Bytes b;
    if (!fromHex(v, b) || b.size() != size)
        bad(name + " needs " + std::to_string(size) + " bytes in hexadecimal");
    return b;
}

} // namespace

int main(int argc, char **argv)
{
    Options o;
    for (int i = 1; i < argc; ++i) {
        std::string v;
        const std::string a = argv[i];
        if (a == "--help" || a == "-h") {
            std::fputs(usage, stdout);
            std::fputs(faultHelp, stdout);
            std::fputs("\n", stdout);
            std::fputs(logHelp, stdout);
            return 0;
        } else if (a == "--no-pacing") {
            o.pacing = false;
        } else if (a == "--no-identity") {
            o.noIdentity = true;
        } else if (a == "--with-parent") {
            o.withParent = true;
        } else if (takeValue(i, argc, argv, "--link", v)) {
            o.link = v;
        } else if (takeValue(i, argc, argv, "--state", v)) {
            o.state = v;
        } else if (takeValue(i, argc, argv, "--log", v)) {
            o.log = v;
        } else if (takeValue(i, argc, argv, "--control", v)) {
            o.control = v;
        } else if (takeValue(i, argc, argv, "--fault", v)) {
            Fault f;
            std::string err;
            if (!parseFault(v, f, err))
                bad("--fault " + v + ": " + err);
            o.faults.push_back(f);
        } else if (takeValue(i, argc, argv, "--baud", v)) {
            o.baud = toInt(v, "--baud", 300, 1000000);
        } else if (takeValue(i, argc, argv, "--latency", v)) {
            o.latency = toInt(v, "--latency", 0, 60000);
        } else if (takeValue(i, argc, argv, "--trace-rate", v)) {
            o.traceRate = toInt(v, "--trace-rate", 0, 1000);
        } else if (takeValue(i, argc, argv, "--config", v)) {
            o.config = toRecord(v, "--config", 20);
        } else if (takeValue(i, argc, argv, "--ident", v)) {
            o.ident = toRecord(v, "--ident", 18);
        } else if (takeValue(i, argc, argv, "--info", v)) {
            o.info = toRecord(v, "--info", 22);
        } else {
            bad("unknown option '" + a + "'");
        }
    }

    struct sigaction sa;
    std::memset(&sa, 0, sizeof sa);
    sa.sa_handler = onSignal;
    sigaction(SIGTERM, &sa, nullptr);
    sigaction(SIGINT, &sa, nullptr);
    sigaction(SIGHUP, &sa, nullptr);
    signal(SIGPIPE, SIG_IGN);
#ifdef __linux__
    if (o.withParent) {
        prctl(PR_SET_PDEATHSIG, SIGTERM);
        if (getppid() == 1)
            return 0;
    }
#endif

    Simulator sim(o);
    std::string err;
    if (!sim.init(err)) {
        std::fprintf(stderr, "q275-sim: %s\n", err.c_str());
        return 1;
    }
    return sim.run();
}
