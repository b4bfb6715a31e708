#ifndef TDEMOPORT_H
#define TDEMOPORT_H

#include <memory>

#include "link/tmemoryport.h"

class Board;

// The demo board, behind the port name "DEMO": a line in memory whose far end plays the RIB
// (the echo of every frame, the acknowledgement 0x50, the answer frame) and the simulator's
// Q-275 board with its default identity, answering at once. The board's records are kept in
// demo-board.state in the per-user data folder, in the simulator's state format: read again
// at every opening and written whenever a command changed them, so that a configuration
// written to it is read back the next time, by either program.
class TDemoPort : public TMemoryPort
{
public:
    static constexpr char Name[] = "DEMO";
    static bool isDemo(const QString &portName);
    static QString statePath();

    TDemoPort();
    ~TDemoPort() override;

    // Only the name "DEMO" opens it.
    bool open(const QString &name) override;

private:
    // The state file is read back at most this far: the board's own is under a kilobyte.
    enum { MaxStateBytes = 1 << 16 };

    void load();
    bool save();
    // The board's answer frame to a request, as the radio hands the board its packet.
    QByteArray answer(quint8 cmd, const QByteArray &data);

    std::unique_ptr<::Board> board; // touched by the worker only
};

#endif // TDEMOPORT_H
