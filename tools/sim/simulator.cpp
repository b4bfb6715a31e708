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
    echoed = i + 1;
    if (ff.has(FaultKind::NoEcho))
        return;
    if (ff.has(FaultKind::ShortEcho) && int(i) >= ff.arg(FaultKind::ShortEcho))
        return;
    uint8_t b = frame[i];
    const size_t last = size_t(frame[3]) + 3;
    if (ff.has(FaultKind::BadEcho)) {
        const int arg = ff.arg(FaultKind::BadEcho);
        const size_t at = arg == FaultAuto ? last : std::min(size_t(arg), last);
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
    if (ff.has(FaultKind::NoEcho) || ff.has(FaultKind::ShortEcho) || ff.has(FaultKind::BadEcho)) {
        flushEcho(!frameEcho.empty());
        return;
    }
    flushEcho(true);
    if (ff.has(FaultKind::Close)) {
        OutItem it;
        it.closeLine = true;
        push(std::move(it));
        return;
    }
    if (!ff.stray().empty()) {
        OutItem it;
        it.bytes = ff.stray();
        it.logKind = "stray";
        push(std::move(it));
    }
    if (!ok || ff.has(FaultKind::Nak)) {
        OutItem it;
        it.bytes = {0x60};
        it.logKind = "nak";
        push(std::move(it));
        return;
    }
    if (ff.has(FaultKind::NoAck))
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
    const size_t garble = size_t(ff.arg(FaultKind::Garble));
    if (ff.has(FaultKind::Garble) && garble < packet.size())
        packet[garble] = uint8_t(~packet[garble]);
    const int cmd = packet.size() >= 3 ? packet[2] : -1;
    Board::Answer a;
    bool changed = false;
    if (ff.has(FaultKind::Error) && cmd >= 0) {
        a.none = false;
        a.id = AnsError;
        a.data = {uint8_t(ff.arg(FaultKind::Error))};
    } else if (ff.has(FaultKind::Status) && cmd >= 0) {
        a.none = false;
        a.id = uint8_t(cmd);
        a.data = {uint8_t(ff.arg(FaultKind::Status))};
    } else {
        a = board.handle(packet, now, changed);
    }
    if (changed)
        saveState();
    if (a.none || ff.has(FaultKind::NoAnswer))
        return;
    if (ff.has(FaultKind::LongLen)) {
        OutItem it;
        it.bytes = {0xFF, 0x8F, 0x00, uint8_t(ff.arg(FaultKind::LongLen))};
        it.delayMs = opt.latency;
        it.logKind = "noise";
        push(std::move(it));
    }
    OutItem it;
    it.bytes = answerFrame(a, ff, cmd);
    it.delayMs = ff.has(FaultKind::LongLen) ? 0 : opt.latency;
    it.logKind = "ans";
    push(std::move(it));
}

Bytes Simulator::answerFrame(const Board::Answer &a, const FrameFaults &f, int cmd)
{
    Bytes data = a.data;
    if (f.has(FaultKind::Short)) {
        const int arg = f.arg(FaultKind::Short);
        const size_t keep = arg == FaultAuto ? data.size() / 2 : size_t(arg);
        if (keep < data.size())
            data.resize(keep);
    }
    uint8_t id = a.id;
    if (f.has(FaultKind::WrongId) && cmd >= 0)
        id = uint8_t(f.arg(FaultKind::WrongId));
    Bytes packet = {0x43, uint8_t(data.size() + 2), id};
    packet.insert(packet.end(), data.begin(), data.end());
    unsigned s = 0;
    for (uint8_t x : packet)
        s += x;
    uint8_t psum = uint8_t(0x100 - (s & 0xFF));
    if (f.has(FaultKind::BadPacketSum))
        psum ^= 0x01;
    packet.push_back(psum);
    if (f.has(FaultKind::CorruptPacket)) {
        const int arg = f.arg(FaultKind::CorruptPacket);
        const size_t at = arg == FaultAuto ? packet.size() - 2 : size_t(arg);
        if (at < packet.size())
            packet[at] = uint8_t(~packet[at]);
    }
    Bytes fr = {0xFF, 0x8F, 0x00, uint8_t(packet.size() + 1)};
    fr.insert(fr.end(), packet.begin(), packet.end());
    s = 0;
    for (uint8_t x : fr)
        s += x;
    uint8_t fsum = uint8_t(0xFF - (s & 0xFF));
    if (f.has(FaultKind::BadFrameSum))
        fsum ^= 0x01;
    fr.push_back(fsum);
    if (f.has(FaultKind::Corrupt)) {
        const int arg = f.arg(FaultKind::Corrupt);
        // Default: the last data byte (the identifier when there is no data).
        size_t at = arg == FaultAuto ? fr.size() - 3 : size_t(arg);
        if (at < fr.size())
            fr[at] = uint8_t(~fr[at]);
    }
    if (f.has(FaultKind::Truncated)) {
        const int arg = f.arg(FaultKind::Truncated);
        const size_t keep = arg == FaultAuto ? fr.size() / 2 : size_t(arg);
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
