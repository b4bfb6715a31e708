#ifndef TLINK_H
#define TLINK_H

#include <QByteArray>
#include <QObject>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

#include "link/ribframe.h"
#include "link/tlinkport.h"

// The link to the option board as the worker thread uses it: the serial port
// layer (opening, time-outs, raw reads and writes, closing, log lines and hex
// dumps), the RIB transport (request frame, echo, acknowledgement, answer frame,
// up to ten attempts) and the setting commands with their status byte.
// Everything here runs on the worker thread; the signals are passed on by the
// thread object.
class TLink : public QObject
{
    Q_OBJECT

public:
    enum { TxSize = 256, RxSize = 512, MaxData = TxSize - RibFrame::RequestOverhead };
    enum { ReadTimeoutShort = 250, ReadTimeoutLong = 1000, WriteTimeout = 2500 };
    // The pauses before a frame is sent again: after a retransmission request, after any
    // other failed attempt.
    enum { PauseShort = 250, PauseLong = 1000 };
    // Bytes of noise that the wait for the acknowledgement and the hunt for an answer
    // frame skip before they count as a time-out: four longest frames and more. Without
    // a limit a line that chatters without pause would hold the worker for ever.
    enum { NoiseLimit = 1024 };
    // Times a command is sent before the transaction gives up.
    enum { Attempts = 10 };

    // Option-board command codes and the error answer.
    enum Command : quint8 {
        AnsError = 0x73,
        CmdTestCfg = 0x74,
        CmdSaveCfg = 0x75,
        CmdReadCfg = 0x76,
        CmdTrace = 0x77,
        CmdTracePoll = 0x78,
        CmdIdent = 0x79,
        CmdInfoRead = 0x80,
        CmdInfoWrite = 0x81,
        CmdCodec = 0x82,
        CmdRxCtl = 0x83,
        CmdMicCtl = 0x84
    };

    // Outcome of a setting command. BoardError: the board sent its error answer (the
    // transaction logged its code); it counts as a failed transfer like LinkFailed.
    enum Status { LinkFailed, BoardError, StatusOk, StatusChecksum, StatusFailed, StatusUnknown };

    using SleepFunction = std::function<void(int ms)>;

    explicit TLink(QObject *parent = nullptr);
    ~TLink() override;

    // The device under the link; null detaches it (closing it first).
    void setDevice(std::shared_ptr<TLinkPort> device);
    // Where the mode and the port name come from; asked at every use, so a
    // change made by the GUI thread takes effect at once (the name at the
    // next opening).
    void setSettingsSource(std::function<int()> mode, std::function<QString()> portName);
    // The pause between attempts; the default sleeps the calling thread.
    void setSleepFunction(SleepFunction sleep);
    // Asked before every read and after every pause: once it says true, the command
    // under way ends as failed at once, without further attempts or lines.
    void setAbortCheck(std::function<bool()> aborted);

    // --- port layer: result codes 0, -1 read, -2 write, -3 time-outs,
    // -4 open, -5/-6 line settings.
    qint8 openPort();
    qint8 setReadTimeout(quint32 ms);
    int readBytes(quint8 *buf, int n); // -1 or the count received
    void closePort(qint8 code);
    void dump(const QString &prefix, const quint8 *data, int len);
    // Whether a log line is one of the port's own lines of the service modes (opened, closed,
    // a hex dump), which never tell why a command failed.
    static bool isPortLine(const QString &line);
    bool isPortOpen() const;
    quint32 readTimeout() const { return readTimeoutMs; }

    // --- transport
    // One command to the board: 1 = answered (the answer packet is at the
    // start of answerPacket(), the port is left open), 0 = error answer from
    // the board (port closed), -1 = failed (port closed). minData is the
    // number of answer data bytes the command needs; a shorter answer is a
    // receive error like a bad checksum. A request of more than MaxData data
    // bytes does not fit a frame and is refused with a log line (-1).
    qint8 transact(quint8 cmd, const quint8 *data, int len, int minData = 0,
                   int attempts = Attempts);
    // Frames that went out on the line, whole or in part, since the link was made: a
    // command may have reached the board when the count moved.
    quint64 framesWritten() const { return framesOut; }
    const quint8 *answerPacket() const { return rx; }
    const quint8 *answerData() const { return rx + 3; }
    int answerDataLength() const { return rx[1] - 2; }

    // --- commands
    // A setting command: the transaction, then the status byte of the answer
    // (the port is closed in every case). The status line is not logged here:
    // the caller emits its signal first and then calls reportStatus().
    Status sendSetting(quint8 cmd, const quint8 *data, int len, int attempts = Attempts);
    // Logs the status line of a refused setting (nothing for LinkFailed and StatusOk).
    void reportStatus(Status status);

signals:
    void mes(QString text);
    void sendMax(quint32 len);
    void sendCnt(quint32 cnt);
    void recvMax(qint32 len);
    void recvCnt(qint32 cnt);

private:
    // What one sending of the frame came to. Retry: code is the step that failed and
    // pauseMs the pause before the next attempt; Failed: code is what the port is closed
    // with (0 when the stop ended the attempt).
    struct Attempt {
        enum Kind { Answered, ErrorAnswer, Retry, Failed } kind;
        qint8 code = 0;
        int pauseMs = 0;
        // Retry: the RIB did not take the frame; otherwise the board's answer failed.
        bool ribFailed = false;
    };

    int mode() const;
    bool aborted() const;
    void pause(int ms);
    void log(const QString &text);
    QString openFailure() const;

    Attempt attempt(quint8 cmd, const quint8 *data, int len, int minData);
    Attempt receive(quint8 cmd, int minData);
    std::optional<Attempt> endsAttempt(qint8 step) const;
    void sayWhyFailed(const Attempt &last);
    qint8 sendFrame(quint8 cmd, const quint8 *data, int len);
    qint8 readEcho();
    qint8 waitAck();
    qint8 findAnswerHeader(int &length);
    qint8 readAnswer();
    qint8 checkPacket(quint8 cmd, int minData);
    int readBlock(int count, bool reportCount); // -1 or the bytes read into rx
    qint8 readByte(quint8 &byte);               // StepOk, StepTimeout or -1

    std::shared_ptr<TLinkPort> port;
    std::function<int()> modeSource;
    std::function<QString()> nameSource;
    SleepFunction sleepFunction;
    std::function<bool()> abortCheck;
    QString openName;
    quint32 readTimeoutMs = ReadTimeoutShort;
    quint64 framesOut = 0;
    int bodyLength = 0; // body bytes of the last answer frame in rx
    QByteArray sent;    // the request frame of the attempt under way
    // The attempt under way is a trace poll: those follow each other back to back, and their
    // reads may sleep while the bytes come in (see TLinkPort::expect).
    bool backToBack = false;
    quint8 rx[RxSize] = {};
};

#endif // TLINK_H
