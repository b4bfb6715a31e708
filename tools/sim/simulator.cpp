#include "simulator.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <poll.h>
#include <sstream>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

namespace
{

volatile sig_atomic_t stopSignal = 0;
void onSignal(int)
{
    stopSignal = 1;
}

// A frame that stops half-way is given up after this; bytes outside a frame are logged
// once the line has been quiet this long.
const auto frameTimeout = std::chrono::milliseconds(1000);
const auto junkTimeout = std::chrono::milliseconds(100);

// The byte index or length a fault's argument names, or the one the frame gives.
size_t place(int arg, size_t byDefault)
{
    return arg == FaultAuto ? byDefault : size_t(arg);
}

void invert(Bytes &b, size_t at)
{
    if (at < b.size())
        b[at] = uint8_t(~b[at]);
}

void cut(Bytes &b, size_t keep)
{
    if (keep < b.size())
        b.resize(keep);
}

// The type of the file at the path (S_IFIFO, S_IFLNK, ...), or 0 when there is none.
mode_t fileType(const std::string &path)
{
    struct stat sb;
    return lstat(path.c_str(), &sb) == 0 ? sb.st_mode & S_IFMT : 0;
}

// True when the path is free, or there is a file of the wanted type (then there is set).
bool usablePath(const std::string &path, mode_t wanted, const char *what, bool &there,
                std::string &err)
{
    const mode_t type = fileType(path);
    there = type != 0;
    if (!there || type == wanted)
        return true;
    err = path + ": exists and is not " + what;
    return false;
}

// Raw bytes at 9600 baud, no modem lines.
void makeRaw(int fd)
{
    termios t;
    if (tcgetattr(fd, &t) != 0)
        return;
    cfmakeraw(&t);
    cfsetispeed(&t, B9600);
    cfsetospeed(&t, B9600);
    t.c_cflag |= CLOCAL | CREAD;
    tcsetattr(fd, TCSANOW, &t);
}

// Blocks the stop signals; they are taken only while run() waits, with the set returned.
sigset_t blockStopSignals()
{
    sigset_t block, none;
    sigemptyset(&block);
    sigaddset(&block, SIGTERM);
    sigaddset(&block, SIGINT);
    sigaddset(&block, SIGHUP);
    sigprocmask(SIG_BLOCK, &block, nullptr);
    sigemptyset(&none);
    return none;
}

timespec timeUntil(SimClock::time_point wake, SimClock::time_point now)
{
    const auto left = std::max(SimClock::duration::zero(), wake - now);
    const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(left).count();
    return {time_t(ns / 1000000000), long(ns % 1000000000)};
}

} // namespace

void Simulator::catchSignals()
{
    struct sigaction sa;
    std::memset(&sa, 0, sizeof sa);
    sa.sa_handler = onSignal;
    sigaction(SIGTERM, &sa, nullptr);
    sigaction(SIGINT, &sa, nullptr);
    sigaction(SIGHUP, &sa, nullptr);
    signal(SIGPIPE, SIG_IGN);
}

bool Simulator::init(std::string &err)
{
    byteTime = std::chrono::duration_cast<SimClock::duration>(
        std::chrono::duration<double>(10.0 / opt.baud));
    board.setTraceRate(opt.traceRate);
    if (!loadState(err))
        return false;
    BoardRecords &r = board.records();
    if (!opt.config.empty())
        r.config = opt.config;
    if (!opt.ident.empty())
        r.ident = opt.ident;
    if (!opt.info.empty())
        r.info = opt.info;
    r.identity = !opt.noIdentity;
    if (!openLog(err) || !openControl(err))
        return false;
    // The state file is complete before the device is announced.
    saveState();
    return openLine(err);
}

// The records kept by an earlier run, if there was one.
bool Simulator::loadState(std::string &err)
{
    if (opt.state.empty())
        return true;
    std::ifstream in(opt.state);
    if (!in)
        return true;
    std::stringstream ss;
    ss << in.rdbuf();
    std::string e;
    if (board.parse(ss.str(), e))
        return true;
    err = opt.state + ": " + e;
    return false;
}

bool Simulator::openLog(std::string &err)
{
    if (opt.log.empty())
        return true;
    logFile = std::fopen(opt.log.c_str(), "w");
    if (logFile)
        return true;
    err = opt.log + ": " + std::strerror(errno);
    return false;
}

bool Simulator::openControl(std::string &err)
{
    if (opt.control.empty())
        return true;
    bool there = false;
    if (!usablePath(opt.control, S_IFIFO, "a FIFO", there, err))
        return false;
    if (!there && mkfifo(opt.control.c_str(), 0600) != 0) {
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
    return true;
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
    makeRaw(slave);
    if (!makeLink(err))
        return false;
    std::printf("%s\n", slavePath.c_str());
    std::fflush(stdout);
    logLine("line open " + slavePath);
    st = St::Idle;
    frame.clear();
    junk.clear();
    nextByte = SimClock::now();
    return true;
}

// The --link name for the device; one left behind by an earlier run is replaced.
bool Simulator::makeLink(std::string &err)
{
    if (opt.link.empty())
        return true;
    bool there = false;
    if (!usablePath(opt.link, S_IFLNK, "a symbolic link", there, err))
        return false;
    if (there)
        unlink(opt.link.c_str());
    if (symlink(slavePath.c_str(), opt.link.c_str()) == 0)
        return true;
    err = opt.link + ": " + std::strerror(errno);
    return false;
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

// The close fault: what was still to be sent is dropped with the line.
void Simulator::reopenLine()
{
    out.clear();
    closeLine();
    std::string err;
    if (!openLine(err)) {
        std::fprintf(stderr, "q275-sim: %s\n", err.c_str());
        quit = true;
    }
    lastDone = now = SimClock::now();
}

void Simulator::logLine(const std::string &text)
{
    if (!logFile)
        return;
    std::fprintf(logFile, "%.3f %s\n", ms(SimClock::now()), text.c_str());
    std::fflush(logFile);
}

// Written whole to a new file that then takes the place of the old one.
void Simulator::saveState()
{
    if (opt.state.empty())
        return;
    const std::string tmp = opt.state + ".tmp";
    {
        std::ofstream o(tmp, std::ios::trunc);
        if (o) {
            o << board.serialize();
            o.flush();
        }
        if (!o) {
            std::fprintf(stderr, "q275-sim: cannot write %s\n", tmp.c_str());
            return;
        }
    }
    if (std::rename(tmp.c_str(), opt.state.c_str()) != 0)
        std::fprintf(stderr, "q275-sim: cannot replace %s\n", opt.state.c_str());
}

// ---- The RIB: frames from the terminal ----

void Simulator::receive()
{
    uint8_t buf[512];
    const ssize_t n = read(master, buf, sizeof buf);
    for (ssize_t i = 0; i < n; ++i)
        feed(buf[i]);
    flushEcho(false);
}

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

void Simulator::send(Bytes bytes, const char *logKind, int delayMs)
{
    OutItem it;
    it.bytes = std::move(bytes);
    it.logKind = logKind;
    it.delayMs = delayMs;
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
    for (const std::string &t : ff.applied()) {
        char c[8];
        std::snprintf(c, sizeof c, cmd < 0 ? "--" : "%02X", cmd & 0xFF);
        logLine(std::string("fault ") + c + " " + t);
    }
    for (size_t i = 0; i < frame.size(); ++i)
        echoFrameByte(i);
}

void Simulator::echoFrameByte(size_t i)
{
    if (ff.has(FaultKind::NoEcho))
        return;
    if (ff.has(FaultKind::ShortEcho) && int(i) >= ff.arg(FaultKind::ShortEcho))
        return;
    uint8_t b = frame[i];
    // bad-echo hits the byte named, or the last one when none is named or it lies beyond.
    const size_t last = size_t(frame[3]) + 3;
    if (ff.has(FaultKind::BadEcho) && i == std::min(place(ff.arg(FaultKind::BadEcho), last), last))
        b = uint8_t(~b);
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

// A frame that stopped half-way is given up; bytes outside a frame are logged once the
// line is quiet.
void Simulator::giveUpStalled()
{
    if (st == St::Frame && now - lastByte >= frameTimeout) {
        if (!decided) {
            echoBuf.insert(echoBuf.end(), frame.begin(), frame.end());
            flushEcho(false);
        }
        junk.insert(junk.end(), frame.begin(), frame.end());
        frame.clear();
        st = St::Idle;
        flushJunk();
    }
    if (st == St::Idle && !junk.empty() && now - lastByte >= junkTimeout)
        flushJunk();
}

void Simulator::completeFrame()
{
    st = St::Idle;
    const bool ok = sum8(frame) == 0xFF;
    logLine(std::string(ok ? "rx req " : "rx bad ") + toHex(frame));
    if (!acknowledge(ok))
        return;
    // The radio hands the packet (without the frame checksum) to the board.
    Bytes packet;
    if (frame.size() > 5)
        packet.assign(frame.begin() + 4, frame.end() - 1);
    if (ff.has(FaultKind::Garble))
        invert(packet, size_t(ff.arg(FaultKind::Garble)));
    const int cmd = packet.size() >= 3 ? packet[2] : -1;
    const Board::Answer a = boardAnswer(packet, cmd);
    if (a.none || ff.has(FaultKind::NoAnswer))
        return;
    const bool noise = ff.has(FaultKind::LongLen);
    if (noise)
        send({0xFF, 0x8F, 0x00, uint8_t(ff.arg(FaultKind::LongLen))}, "noise", opt.latency);
    send(answerFrame(a, cmd), "ans", noise ? 0 : opt.latency);
}

// The RIB's part once the frame is complete: the rest of the echo, then the
// acknowledgement, or the retransmission request. True when the frame goes on to the board.
bool Simulator::acknowledge(bool frameOk)
{
    // A RIB that lost the frame says nothing more.
    if (ff.has(FaultKind::NoEcho) || ff.has(FaultKind::ShortEcho) || ff.has(FaultKind::BadEcho)) {
        flushEcho(!frameEcho.empty());
        return false;
    }
    flushEcho(true);
    if (ff.has(FaultKind::Close)) {
        OutItem it;
        it.closeLine = true;
        push(std::move(it));
        return false;
    }
    if (!ff.stray().empty())
        send(ff.stray(), "stray");
    if (!frameOk || ff.has(FaultKind::Nak)) {
        send({0x60}, "nak");
        return false;
    }
    if (ff.has(FaultKind::NoAck))
        return false;
    send({0x50}, "ack");
    return true;
}

// What the board answers, or the answer a board fault puts in its place.
Board::Answer Simulator::boardAnswer(const Bytes &packet, int cmd)
{
    if (ff.has(FaultKind::Error) && cmd >= 0)
        return Board::Answer::with(AnsError, {uint8_t(ff.arg(FaultKind::Error))});
    if (ff.has(FaultKind::Status) && cmd >= 0)
        return Board::Answer::with(uint8_t(cmd), {uint8_t(ff.arg(FaultKind::Status))});
    bool changed = false;
    const Board::Answer a = board.handle(packet, now, changed);
    if (changed)
        saveState();
    return a;
}

// The answer packet (0x43, n, identifier, data, checksum) with the faults of the packet.
Bytes Simulator::answerPacket(const Board::Answer &a, int cmd) const
{
    Bytes data = a.data;
    if (ff.has(FaultKind::Short))
        cut(data, place(ff.arg(FaultKind::Short), data.size() / 2));
    const bool wrongId = ff.has(FaultKind::WrongId) && cmd >= 0;
    Bytes packet = {0x43, uint8_t(data.size() + 2),
                    wrongId ? uint8_t(ff.arg(FaultKind::WrongId)) : a.id};
    packet.insert(packet.end(), data.begin(), data.end());
    const uint8_t sum = uint8_t(0x100 - sum8(packet));
    packet.push_back(ff.has(FaultKind::BadPacketSum) ? uint8_t(sum ^ 0x01) : sum);
    // Default: the last data byte (the identifier when there is no data).
    if (ff.has(FaultKind::CorruptPacket))
        invert(packet, place(ff.arg(FaultKind::CorruptPacket), packet.size() - 2));
    return packet;
}

// The answer frame around the packet, with the faults of the frame.
Bytes Simulator::answerFrame(const Board::Answer &a, int cmd) const
{
    const Bytes packet = answerPacket(a, cmd);
    Bytes fr = {0xFF, 0x8F, 0x00, uint8_t(packet.size() + 1)};
    fr.reserve(fr.size() + packet.size() + 1); // room for all: GCC 12 misjudges the copy otherwise
    fr.insert(fr.end(), packet.begin(), packet.end());
    const uint8_t sum = uint8_t(0xFF - sum8(fr));
    fr.push_back(ff.has(FaultKind::BadFrameSum) ? uint8_t(sum ^ 0x01) : sum);
    // Default: the last data byte (the identifier when there is no data).
    if (ff.has(FaultKind::Corrupt))
        invert(fr, place(ff.arg(FaultKind::Corrupt), fr.size() - 3));
    if (ff.has(FaultKind::Truncated))
        cut(fr, place(ff.arg(FaultKind::Truncated), fr.size() / 2));
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
            reopenLine();
            return;
        }
        if (!transmit(it))
            return;
        lastDone = now;
        if (!it.logKind.empty())
            logLine("tx " + it.logKind + " " + toHex(it.logBytes.empty() ? it.bytes : it.logBytes));
        out.pop_front();
    }
}

// Writes what the line takes of the item now, paced a byte at a time; false while some of
// it has still to go.
bool Simulator::transmit(OutItem &it)
{
    while (it.pos < it.bytes.size()) {
        size_t n = it.bytes.size() - it.pos;
        if (opt.pacing) {
            if (nextByte + byteTime < now)
                nextByte = now;
            if (nextByte > now)
                return false;
            n = 1;
        }
        const ssize_t w = ::write(master, it.bytes.data() + it.pos, n);
        if (w < 0) {
            if (errno == EAGAIN || errno == EWOULDBLOCK) {
                wantOut = true;
                return false;
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
    return true;
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

// Carries out one control line and confirms it in the frame log.
void Simulator::command(const std::string &line)
{
    const int no = ++ctlCount;
    const size_t sp = line.find(' ');
    const std::string verb = line.substr(0, sp);
    const std::string rest = sp == std::string::npos ? std::string() : line.substr(sp + 1);
    const std::string err = obey(verb, rest);
    if (err.empty())
        logLine("ctl " + std::to_string(no) + " " + line);
    else
        logLine("ctl " + std::to_string(no) + " error: " + err);
}

// The error of a control command, or nothing when it is done.
std::string Simulator::obey(const std::string &verb, const std::string &rest)
{
    std::string err;
    Bytes b;
    if (verb == "fault") {
        Fault f;
        if (!parseFault(rest, f, err))
            return err;
        faults.add(f);
    } else if (verb == "clear") {
        faults.clear();
    } else if (verb == "trace") {
        if (!fromHex(rest, b) || b.empty() || b.size() > 62)
            return "trace needs 1 to 62 bytes in hexadecimal";
        board.injectTrace(b);
    } else if (verb == "latency") {
        if (!readNumber(rest, 10, 0, 60000, opt.latency))
            return "latency needs milliseconds";
    } else if (verb == "identity") {
        if (rest != "on" && rest != "off")
            return "identity on|off";
        board.records().identity = rest == "on";
    } else if (verb == "config" || verb == "ident" || verb == "info") {
        BoardRecords &r = board.records();
        Bytes &record = verb == "config" ? r.config : verb == "ident" ? r.ident : r.info;
        const size_t need = verb == "config" ? ConfigSize : verb == "ident" ? IdentSize : InfoSize;
        if (!fromHex(rest, b) || b.size() != need)
            return verb + " needs " + std::to_string(need) + " bytes";
        record = b;
        saveState();
    } else if (verb == "quit") {
        quit = true;
    } else {
        return "unknown command '" + verb + "'";
    }
    return {};
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
    if (!opt.link.empty() && fileType(opt.link) == S_IFLNK)
        unlink(opt.link.c_str());
    if (ctlRead >= 0) {
        close(ctlRead);
        close(ctlWrite);
        unlink(opt.control.c_str());
    }
    if (logFile)
        std::fclose(logFile);
    logFile = nullptr;
}

// When to wake up without input: the next byte or item due, or the end of a frame
// that stopped half-way, or of bytes outside a frame.
SimClock::time_point Simulator::wakeTime() const
{
    SimClock::time_point wake = now + std::chrono::seconds(1);
    if (!out.empty() && !wantOut) {
        const OutItem &it = out.front();
        SimClock::time_point due = it.armed ? it.at : now;
        if (opt.pacing && due <= now && it.pos < it.bytes.size())
            due = nextByte;
        wake = std::min(wake, std::max(due, now));
    }
    if (st == St::Frame)
        wake = std::min(wake, lastByte + frameTimeout);
    if (!junk.empty())
        wake = std::min(wake, lastByte + junkTimeout);
    return wake;
}

int Simulator::run()
{
    const sigset_t unblocked = blockStopSignals();
    lastDone = SimClock::now();
    while (!quit && !stopSignal) {
        now = SimClock::now();
        pump();
        pollfd fds[2] = {{master, short(POLLIN | (wantOut ? POLLOUT : 0)), 0},
                         {ctlRead, POLLIN, 0}};
        const nfds_t nfds = ctlRead >= 0 ? 2 : 1;
        const timespec ts = timeUntil(wakeTime(), now);
        const int r = ppoll(fds, nfds, &ts, &unblocked);
        if (r < 0 && errno != EINTR) {
            std::fprintf(stderr, "q275-sim: poll: %s\n", std::strerror(errno));
            return 1;
        }
        now = SimClock::now();
        if (r > 0 && (fds[0].revents & POLLIN))
            receive();
        if (r > 0 && nfds > 1 && (fds[1].revents & POLLIN))
            readControl();
        giveUpStalled();
    }
    shutdown();
    return 0;
}
