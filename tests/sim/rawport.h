#ifndef RAWPORT_H
#define RAWPORT_H

#include <QByteArray>
#include <QString>

// A plain POSIX view of the simulator's serial device, for tests that speak
// raw frames to it without the terminal's link code.
class RawPort
{
public:
    RawPort() = default;
    ~RawPort() { close(); }
    RawPort(const RawPort &) = delete;
    RawPort &operator=(const RawPort &) = delete;

    bool open(const QString &path);
    void close();
    bool isOpen() const { return fd >= 0; }
    bool write(const QByteArray &b);
    // Reads until n bytes have come or timeoutMs has passed.
    QByteArray read(int n, int timeoutMs = 2000);
    // Reads until nothing has come for idleMs.
    QByteArray readIdle(int idleMs = 80);
    // True when the line was hung up (end of file or an error) within timeoutMs.
    bool waitHangup(int timeoutMs);

private:
    int fd = -1;
};

#endif // RAWPORT_H
