#ifndef SIM_SIMULATOR_H
#define SIM_SIMULATOR_H

// The RIB, the radio and the board on a pseudo-terminal: the line, the frames from the
// terminal with their echo and acknowledgement, the board's answers sent at the line rate,
// the frame log, the state file and the control FIFO.

#include "board.h"
#include "faults.h"

#include <cstdio>
#include <deque>
#include <string>
#include <vector>

// What the command line asks for.
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

    // Makes SIGTERM, SIGINT and SIGHUP end run(), and a closed pipe no signal.
    static void catchSignals();

    bool init(std::string &err);
    int run();

private:
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

    // Start.
    bool loadState(std::string &err);
    bool openLog(std::string &err);
    bool openControl(std::string &err);
    // Line.
    bool openLine(std::string &err);
    bool makeLink(std::string &err);
    void closeLine();
    void reopenLine();
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
    void receive();
    void feed(uint8_t b);
    void decide();
    void echoFrameByte(size_t i);
    void abortFrame();
    void giveUpStalled();
    void completeFrame();
    bool acknowledge(bool frameOk);
    void flushJunk();
    void flushEcho(bool last);
    // The board's answer.
    Board::Answer boardAnswer(const Bytes &packet, int cmd);
    Bytes answerPacket(const Board::Answer &a, int cmd) const;
    Bytes answerFrame(const Board::Answer &a, int cmd) const;
    // Output side.
    void push(OutItem it) { out.push_back(std::move(it)); }
    void send(Bytes bytes, const char *logKind, int delayMs = 0);
    void pump();
    bool transmit(OutItem &it);
    SimClock::time_point wakeTime() const;
    // Control.
    void readControl();
    void command(const std::string &line);
    std::string obey(const std::string &verb, const std::string &rest);
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

#endif // SIM_SIMULATOR_H
