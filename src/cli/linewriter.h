#ifndef LINEWRITER_H
#define LINEWRITER_H

#include <QByteArray>
#include <QObject>

#include <memory>

// Output written by a thread of its own, so that a reader that stalls (a pipe nobody reads)
// never holds the event loop: stopping and the time limit work whatever the reader does. The
// caller puts the next piece only after drained(), so at most one piece waits.
class LineWriter : public QObject
{
    Q_OBJECT

public:
    explicit LineWriter(int fd, QObject *parent = nullptr);
    // Does not wait for the writer: a write held by a stalled reader ends with the program.
    ~LineWriter() override;

    void put(const QByteArray &bytes); // never blocks
    // Handles events until everything put is written, a write failed or ms passed; true
    // when everything was written.
    bool drain(int ms);

signals:
    void drained(); // everything put so far is written
    void failed();  // a write failed: nobody reads any more, or the disk is full

private:
    bool busy() const;

    struct Shared;
    std::shared_ptr<Shared> shared;
};

#endif // LINEWRITER_H
