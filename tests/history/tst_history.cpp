// The board history: what the link keeps of each read and write, the folders and names,
// and the history window as the technician uses it.
#include <QtTest>
#include <QtWidgets>

#include <future>
#include <thread>

#include "app/q275.h"
#include "config/boardhistory.h"
#include "config/obdfile.h"
#include "link/tmemoryport.h"
#include "link/tthread.h"
#include "linkrecorder.h"
#include "testkit.h"
#include "windowcase.h"

// A board on the in-memory line, as its answers show it.
struct Board {
    bool identity = true;              // false: error answers to 0x79 (an old board)
    QByteArray record = otherRecord(); // its configuration; empty: 0x76 goes unanswered
    QByteArray writeStatus = "0";      // "2": the board refuses the configuration written
};
using Post = void (*)(TThread &);
// One task on the line; the posts of a row run one after the other.
const Post postRead = [](TThread &t) { t.postRead(); };
const Post postWrite = [](TThread &t) { t.postSave(u8(otherRecord(0x42)), 20); };
struct KeepCase {
    Board board{};
    QList<Post> posts{};
    QMap<QString, QByteArray> kept{}; // "serial/kind" and the file's bytes
    QString line{};                   // the last log line
};
Q_DECLARE_METATYPE(KeepCase)

// An entry in the history window, compared with and opened over a new configuration.
struct EntryCase {
    QByteArray file; // the entry's bytes
    QString said;    // the text under the lists after "Сравнить" (PATH: the entry's file)
    QStringList diff{};   // the comparison's rows
    QByteArray current{}; // the current configuration once the entry was opened
    QStringList boxes{};  // the modal boxes on the way, by their texts
};
Q_DECLARE_METATYPE(EntryCase)

class TstHistory : public WindowCase
{
    Q_OBJECT

    static QByteArray image(const QByteArray &cfg)
    {
        return ObdFile::image(*reinterpret_cast<const TQ275 *>(cfg.constData()));
    }
    // Every kept file as "serial/kind" with its bytes.
    static QMap<QString, QByteArray> kept()
    {
        QMap<QString, QByteArray> m;
        QDirIterator it(BoardHistory::root(), QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            QFile f(it.next());
            f.open(QIODevice::ReadOnly);
            const QString kind = it.fileName().contains("-write") ? "write" : "read";
            m.insert(it.fileInfo().dir().dirName() + '/' + kind, f.readAll());
        }
        return m;
    }
    // Runs the posts against the board (serial number 42); the last log line.
    static QString lastLine(const Board &board, const QList<Post> &posts)
    {
        auto port = std::make_shared<TMemoryPort>();
        port->setResponder(TMemoryPort::rib([board](quint8 cmd, const QByteArray &) {
            if (cmd == 0x79)
                return board.identity ? TMemoryPort::answerFrame(0x79, QByteArray(18, '\x02'))
                                      : TMemoryPort::answerFrame(0x73, "\x01");
            if (cmd == 0x80)
                return TMemoryPort::answerFrame(0x80, hex("2A00") + QByteArray(20, '\0'));
            if (cmd == 0x76)
                return board.record.isEmpty() ? QByteArray()
                                              : TMemoryPort::answerFrame(0x76, board.record);
            return TMemoryPort::answerFrame(cmd, board.writeStatus);
        }));
        TThread thread;
        LinkRecorder rec(&thread, Qt::DirectConnection);
        thread.setPortFactory([port] { return port; });
        thread.setSleepFunction([](int) {});
        thread.setPort("ttyT");
        for (Post post : posts) {
            post(thread);
            if (!thread.wait(10000))
                return "still running";
        }
        return rec.lines().value(rec.lines().size() - 1);
    }

private slots:
    void init()
    {
        WindowCase::init();
        qputenv("XDG_DATA_HOME", box->filePath("data").toLocal8Bit());
    }

    // Reads and writes over the in-memory line with a scripted board; the copies kept.
    void keeping_data()
    {
        QTest::addColumn<KeepCase>("c");
        const QString done = "Процесс чтения конфигурации выполнен";
        const QString written = "Процесс загрузки конфигурации выполнен";
        const QByteArray read = image(otherRecord()), write = image(otherRecord(0x42));
        const auto add = [](const char *row, const KeepCase &c) { QTest::newRow(row) << c; };
        const QByteArray corrupt = withChecksum(newRecord()).replace(19, 1, "\x01");
        // clang-format off
        add("read", {.posts = {postRead}, .kept = {{"0042/read", read}}, .line = done});
        add("read without identity", {.board = {.identity = false}, .posts = {postRead},
                                      .kept = {{"unknown/read", read}}, .line = done});
        add("read corrupt", {.board = {.record = corrupt}, .posts = {postRead}, .line = done});
        add("read failed", {
            .board = {.record = {}}, .posts = {postRead},
            .line = "Передача прервана: плата не ответила верно ни на одну из попыток"});
        add("write after a read", {.posts = {postRead, postWrite},
                                   .kept = {{"0042/read", read}, {"0042/write", write}},
                                   .line = written});
        add("write without a read", {.posts = {postWrite}, .kept = {{"unknown/write", write}},
                                     .line = written});
        add("write refused", {.board = {.writeStatus = "2"}, .posts = {postWrite},
                              .line = "Ошибка, выполнения команды адаптером Q-275"});
        // clang-format on
    }
    void keeping()
    {
        QFETCH(KeepCase, c);
        QCOMPARE(lastLine(c.board, c.posts), c.line);
        QCOMPARE(kept(), c.kept);
    }

    // A history folder that cannot be made: the log names what failed, nothing is kept.
    void notKept()
    {
        QVERIFY(QDir().mkpath(QFileInfo(BoardHistory::root()).path()));
        QFile blocker(BoardHistory::root()); // a file where the folder should be
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        QCOMPARE(lastLine({}, {postRead}), "Копия конфигурации не сохранена в истории плат: " +
                                               BoardHistory::root() + "/0042");
        QVERIFY(kept().isEmpty());
    }

    // A relative XDG_DATA_HOME names no place: the history goes under ~/.local/share.
    void relativeDataHome()
    {
        const QByteArray home = qgetenv("HOME");
        qunsetenv("Q275_USER_DIR"); // the sandbox's own folders aside
        qputenv("HOME", box->path().toLocal8Bit());
        qputenv("XDG_DATA_HOME", "data");
        const QString root = BoardHistory::root();
        qputenv("HOME", home);
        QCOMPARE(root, box->path() + "/.local/share/Veltrona/Terminal Q-275/history");
    }

    // Names in one second, and the order of boards and entries: newest first.
    void namesAndOrder()
    {
        const TQ275 cfg = *reinterpret_cast<const TQ275 *>(newRecord().constData());
        const QDateTime t(QDate(2026, 3, 5), QTime(14, 30, 0));
        QString path;
        // Within one second the number counts the entries of both kinds.
        for (BoardHistory::Kind k :
             {BoardHistory::Read, BoardHistory::Read, BoardHistory::Write, BoardHistory::Read})
            QVERIFY(BoardHistory::keep(cfg, "0042", k, &path, t));
        QCOMPARE(QFileInfo(path).fileName(), QString("2026-03-05_14-30-00-read-4.obd"));
        QVERIFY(BoardHistory::keep(cfg, "0042", BoardHistory::Write, &path, t.addSecs(-60)));
        QVERIFY(BoardHistory::keep(cfg, "0007", BoardHistory::Read, &path, t.addSecs(60)));
        QVERIFY(BoardHistory::keep(cfg, "unknown", BoardHistory::Write, &path, t.addSecs(-3600)));
        // A name that holds an impossible time is listed in its place as text; a name that is
        // no entry's is not listed.
        for (const char *name : {"2021-02-30_25-61-61-read.obd", "notes.obd"})
            QVERIFY(QFile(BoardHistory::root() + "/0042/" + name).open(QIODevice::WriteOnly));
        QStringList boards, names;
        for (const BoardHistory::Board &b : BoardHistory::boards())
            boards << b.serial;
        QCOMPARE(boards, (QStringList{"0007", "0042", "unknown"}));
        for (const BoardHistory::Entry &e : BoardHistory::entries("0042"))
            names << QFileInfo(e.path).fileName() + (e.kind == BoardHistory::Write ? " w" : " r");
        QCOMPARE(names, (QStringList{
                            "2026-03-05_14-30-00-read-4.obd r", "2026-03-05_14-30-00-write-3.obd w",
                            "2026-03-05_14-30-00-read-2.obd r", "2026-03-05_14-30-00-read.obd r",
                            "2026-03-05_14-29-00-write.obd w", "2021-02-30_25-61-61-read.obd r"}));
    }

    // Copies kept at once (the terminal and q275-cli in the same second) all stay.
    void keptAtOnce()
    {
        const TQ275 cfg = *reinterpret_cast<const TQ275 *>(newRecord().constData());
        const QDateTime t(QDate(2026, 3, 5), QTime(14, 30, 0));
        std::promise<void> go;
        const std::shared_future<void> started = go.get_future().share();
        std::atomic<int> kept{0};
        std::vector<std::thread> keepers;
        for (int i = 0; i < 8; ++i)
            keepers.emplace_back([&] {
                started.wait();
                kept += BoardHistory::keep(cfg, "0042", BoardHistory::Read, nullptr, t);
            });
        go.set_value();
        for (std::thread &k : keepers)
            k.join();
        QCOMPARE(kept.load(), 8);
        QCOMPARE(BoardHistory::entries("0042").size(), 8);
    }

    // The history window of the main window, with a new configuration as the current one.
    static QWidget *openHistory(Q275 &w)
    {
        w.show();
        w.create();
        w.setAttribute(Qt::WA_DeleteOnClose, false);
        const QList<QAction *> acts = w.findChildren<QAction *>();
        for (QAction *a : acts)
            if (a->text() == QStringLiteral("&История плат..."))
                a->trigger();
        return w.workArea()->activeSubWindow()->widget();
    }
    static QString entryFile()
    {
        return BoardHistory::root() + "/0042/2026-03-05_14-30-00-read.obd";
    }
    // The window with an entry and, older, a name that holds an impossible time: it lists the
    // boards and each entry by its time and kind, or by its name, the newest chosen. The entry
    // "Сравнить" compares with the current configuration (what differs, or why it cannot be
    // compared), then "Открыть" and the main window asked for the entry directly: the entry
    // becomes the current configuration (not the file "Сохранить" writes, not a recent file),
    // or, damaged or unreadable, is refused before the current configuration is closed.
    void entry_data()
    {
        QTest::addColumn<EntryCase>("c");
        const QString newDevice = "Закрыть текущее устройство";
        const QString wrongSize = "Файл PATH не соответсвует типу устройства.";
        // clang-format off
        QTest::newRow("entry") << EntryCase{
            .file = image(otherRecord()), .said = "Отличия записи от текущей конфигурации:",
            .diff = {"Вход приемника · Аттенюатор: -12.0 дБ → -6.0 дБ",
                     "Вход микрофона · Макс. усиление АРУ: 17.0 дБ → 25.0 дБ",
                     "Запись · Контрольная сумма: 0xE1 → 0xE3", "Запись · Байт 1: 0x25 → 0x04",
                     "Запись · Байт 12: 0x45 → 0x64"},
            .current = otherRecord(), .boxes = {newDevice, newDevice}};
        QTest::newRow("damaged entry") << EntryCase{
            .file = image(otherRecord().replace(3, 1, "\x01")),
            .said = "Запись повреждена: контрольная сумма конфигурации в ней неверна.",
            .current = newRecord()};
        QTest::newRow("short entry") << EntryCase{
            .file = image(otherRecord()).left(821), .said = wrongSize, .current = newRecord(),
            .boxes = {wrongSize}};
        // clang-format on
    }
    void putEntry(const QByteArray &bytes)
    {
        QVERIFY(QDir().mkpath(QFileInfo(entryFile()).path()));
        QFile f(entryFile());
        QVERIFY(f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size());
    }

    void entry()
    {
        QFETCH(EntryCase, c);
        putEntry(c.file);
        QVERIFY(QFile(BoardHistory::root() + "/0042/2021-02-30_25-61-61-read.obd")
                    .open(QIODevice::WriteOnly));
        modal->answerButton("&Да");
        modal->answerButton("&Да");
        Q275 w;
        QWidget *h = openHistory(w);
        QCOMPARE(h->findChild<QListWidget *>("listBoards")->currentItem()->text(), QString("0042"));
        const auto *entries = h->findChild<QListView *>("listEntries");
        QStringList shown;
        for (int r = 0; r < entries->model()->rowCount(); ++r)
            shown << entries->model()->index(r, 0).data().toString();
        QCOMPARE(shown,
                 (QStringList{"05.03.2026 14:30:00  чтение", "2021-02-30_25-61-61-read.obd"}));
        QCOMPARE(entries->currentIndex().row(), 0);
        h->findChild<QPushButton *>("bCompare")->click();
        QCOMPARE(h->findChild<QLabel *>("labDiff")->text(), c.said.replace("PATH", entryFile()));
        auto *table = h->findChild<QTableWidget *>("tableDiff");
        QStringList rows;
        for (int r = 0; r < table->rowCount(); ++r)
            rows << table->item(r, 0)->text() + " · " + table->item(r, 1)->text() + ": " +
                        table->item(r, 2)->text() + " → " + table->item(r, 3)->text();
        QCOMPARE(rows, c.diff);
        QCOMPARE(table->isVisible(), !c.diff.isEmpty());
        h->findChild<QPushButton *>("bOpen")->click();
        w.openEntry(entryFile());
        QCOMPARE(w.currentConfig() ? bytes(w.currentConfig(), 20) : "none", c.current);
        QCOMPARE(modal->texts(), c.boxes.replaceInStrings("PATH", entryFile()));
        QCOMPARE(w.currentFileName(), QString());
        QVERIFY(QSettings().value("recentFileList").toStringList().isEmpty());
    }
};

QTEST_MAIN(TstHistory)
#include "tst_history.moc"
