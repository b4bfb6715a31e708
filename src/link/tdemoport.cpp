#include "link/tdemoport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "config/safesave.h"
#include "config/userfolders.h"
#include "sim/board.h"

bool TDemoPort::isDemo(const QString &portName)
{
    return portName == QLatin1String(Name);
}

QString TDemoPort::statePath()
{
    return UserFolders::data() + QStringLiteral("/demo-board.state");
}

TDemoPort::TDemoPort() : TMemoryPort(false), board(std::make_unique<::Board>())
{
    setResponder(rib([this](quint8 cmd, const QByteArray &data) { return answer(cmd, data); }));
}

TDemoPort::~TDemoPort() = default;

bool TDemoPort::open(const QString &name)
{
    if (!isDemo(name))
        return false; // as a port that is not there
    load();
    return TMemoryPort::open(name);
}

// What another run of either program wrote. A file that is not the board's (damaged, or not
// a file at all) leaves the board as it was; its next change writes the file anew.
void TDemoPort::load()
{
    QFile file(statePath());
    if (!QFileInfo(file).isFile() || !file.open(QIODevice::ReadOnly))
        return;
    const BoardRecords kept = board->records();
    std::string why;
    if (!board->parse(file.read(MaxStateBytes).toStdString(), why))
        board->records() = kept;
}

bool TDemoPort::save()
{
    const QString path = statePath();
    QDir().mkpath(QFileInfo(path).path());
    return SafeSave::save(path, QByteArray::fromStdString(board->serialize())) == SafeSave::Saved;
}

QByteArray TDemoPort::answer(quint8 cmd, const QByteArray &data)
{
    // The packet is the request frame without its first four bytes and its checksum.
    const QByteArray frame = requestFrame(cmd, data);
    const Bytes packet(frame.cbegin() + 4, frame.cend() - 1);
    const BoardRecords before = board->records();
    bool changed = false;
    ::Board::Answer a = board->handle(packet, SimClock::now(), changed);
    // A change that cannot be kept is a command the board failed to carry out.
    if (changed && !save()) {
        board->records() = before;
        a = ::Board::Answer::with(cmd, {StatusFailed});
    }
    if (a.none)
        return QByteArray();
    return answerFrame(
        a.id, QByteArray(reinterpret_cast<const char *>(a.data.data()), qsizetype(a.data.size())));
}
