// q275-sim: a stand-in for the MOTOROLA RIB, the radio and the Q-275 option board
// on a pseudo-terminal, so that the terminal can be run and tested without hardware.

#include "simulator.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>
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
    "  --version         the version of the program\n"
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

[[noreturn]] void bad(const std::string &msg)
{
    std::fprintf(stderr, "q275-sim: %s (see --help)\n", msg.c_str());
    std::exit(2);
}

// True when argv[i] is the option name, with its value after '=' or in the next argument.
bool takeValue(int &i, int argc, char **argv, const std::string &name, std::string &value)
{
    const std::string a = argv[i];
    if (a.size() > name.size() && a.compare(0, name.size() + 1, name + "=") == 0) {
        value = a.substr(name.size() + 1);
        return true;
    }
    if (a != name)
        return false;
    if (i + 1 >= argc)
        bad(name + " needs a value");
    value = argv[++i];
    return true;
}

int toInt(const std::string &v, const std::string &name, long lo, long hi)
{
    int x = 0;
    if (!readNumber(v, 10, lo, hi, x))
        bad(name + ": '" + v + "' is not a number from " + std::to_string(lo) + " to " +
            std::to_string(hi));
    return x;
}

Bytes toRecord(const std::string &v, const std::string &name, size_t size)
{
    Bytes b;
    if (!fromHex(v, b) || b.size() != size)
        bad(name + " needs " + std::to_string(size) + " bytes in hexadecimal");
    return b;
}

Fault toFault(const std::string &v)
{
    Fault f;
    std::string err;
    if (!parseFault(v, f, err))
        bad("--fault " + v + ": " + err);
    return f;
}

void printHelp()
{
    std::fputs(usage, stdout);
    std::fputs(faultHelp, stdout);
    std::fputs("\n", stdout);
    std::fputs(logHelp, stdout);
}

// The command line; the help, or a bad option, ends the program here.
Options parseOptions(int argc, char **argv)
{
    Options o;
    for (int i = 1; i < argc; ++i) {
        std::string v;
        const std::string a = argv[i];
        if (a == "--help" || a == "-h") {
            printHelp();
            std::exit(0);
        } else if (a == "--version") {
            std::puts("q275-sim (Q-275 Terminal) " Q275_VERSION);
            std::exit(0);
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
            o.faults.push_back(toFault(v));
        } else if (takeValue(i, argc, argv, "--baud", v)) {
            o.baud = toInt(v, "--baud", 300, 1000000);
        } else if (takeValue(i, argc, argv, "--latency", v)) {
            o.latency = toInt(v, "--latency", 0, 60000);
        } else if (takeValue(i, argc, argv, "--trace-rate", v)) {
            o.traceRate = toInt(v, "--trace-rate", 0, 1000);
        } else if (takeValue(i, argc, argv, "--config", v)) {
            o.config = toRecord(v, "--config", ConfigSize);
        } else if (takeValue(i, argc, argv, "--ident", v)) {
            o.ident = toRecord(v, "--ident", IdentSize);
        } else if (takeValue(i, argc, argv, "--info", v)) {
            o.info = toRecord(v, "--info", InfoSize);
        } else {
            bad("unknown option '" + a + "'");
        }
    }
    return o;
}

} // namespace

int main(int argc, char **argv)
{
    const Options o = parseOptions(argc, argv);
    Simulator::catchSignals();
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
