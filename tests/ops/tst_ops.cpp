// The operation windows (read, write, test, software load): first driven by the link
// thread's signals on a thread that runs nothing, then as the main window runs them
// against the board simulator.
#include <QtTest>
#include <QtWidgets>

#include <functional>

#include "app/q275.h"
#include "link/tthread.h"
#include "ops/load.h"
#include "ops/read.h"
#include "ops/ttest.h"
#include "ops/write.h"
#include "simharness.h"
#include "testkit.h"
#include "windowcase.h"

// An operation window, and what ends its task and moves its bar: the thread's signals, or
// for the software load, which the link does not drive, the window's own slots.
struct Op {
    std::function<TProgress *(TThread *, TQ275 *)> make;
    std::function<void(TThread *, TProgress *, TQ275 *answer)> done;
    std::function<void(TThread *, TProgress *)> fail;
    std::function<void(TThread *, TProgress *, qint64 max, qint64 cnt)> bar;
    QString running, ended, failed;             // the label's texts
    int doneMs = 1000;                          // after success it asks to close by itself
    QByteArray target = QByteArray(20, '\xA5'); // the record given (A5 bytes), after success
    int barMax = 25;                            // the bar's maximum after a frame of 25 bytes
    int startMax = 1;                           // and before any frame
};
Q_DECLARE_METATYPE(Op)

// A read through the main window: the board's record, what the Read window then says, and
// what the main window keeps, shows in its status bar and logs last (once).
struct MainRead {
    QByteArray board;
    QString said;
    QByteArray kept;
    QString status, top;
};
Q_DECLARE_METATYPE(MainRead)

namespace
{
void sendBar(TThread *t, TProgress *, qint64 max, qint64 cnt)
{
    emit t->sendMax(quint32(max)), emit t->sendCnt(quint32(cnt));
}

// clang-format off
const Op readOp{.make = [](TThread *t, TQ275 *r) { return new Read(t, r); },
    .done = [](TThread *t, TProgress *, TQ275 *a) { emit t->readCfg(a); },
    .fail = [](TThread *t, TProgress *) { emit t->readErr(); },
    .bar = [](TThread *t, TProgress *, qint64 max, qint64 cnt) {
        emit t->recvMax(qint32(max)), emit t->recvCnt(qint32(cnt)); },
    .running = "Чтение конфигурации адаптера Q-275", .ended = "Конфигурация адаптера прочитана.",
    .failed = "Ошибка. Чтение конфигурации прервано.", .doneMs = 500, .target = otherRecord(), .startMax = 20};
// A read whose record fails its checksum: a failure, not a success.
const Op damagedReadOp = [] {
    Op op = readOp;
    op.fail = [](TThread *t, TProgress *) {
        static QByteArray damaged = otherRecord().replace(3, 1, "\x01");
        emit t->readCfg(reinterpret_cast<TQ275 *>(damaged.data()));
    };
    op.failed = "Ошибка. Прочитанная конфигурация повреждена.";
    return op;
}();
const Op writeOp{.make = [](TThread *t, TQ275 *r) { return new Write(t, r); },
    .done = [](TThread *t, TProgress *, TQ275 *) { emit t->saveStp(); },
    .fail = [](TThread *t, TProgress *) { emit t->saveErr(); }, .bar = sendBar,
    .running = "Загрузка конфигурации адаптера Q-275", .ended = "Конфигурации адаптера Q-275 записана.",
    .failed = "Ошибка. Запись конфигурации прервана."};
const Op testOp{.make = [](TThread *t, TQ275 *r) { return new TTest(t, r); },
    .done = [](TThread *t, TProgress *, TQ275 *) { emit t->testStp(); },
    .fail = [](TThread *t, TProgress *) { emit t->testErr(); }, .bar = sendBar,
    .running = "Проверка конфигурации адаптера Q-275", .ended = "Проверка конфигурации адаптера Q-275 выполнена.",
    .failed = "Ошибка. Загрузка конфигурации прервана."};
const Op loadOp{.make = [](TThread *t, TQ275 *) { return new Load(t, new quint8[1000], 1000); },
    .done = [](TThread *, TProgress *w, TQ275 *) { static_cast<Load *>(w)->Stop(); },
    .fail = [](TThread *, TProgress *w) { static_cast<Load *>(w)->Error(); },
    .bar = [](TThread *, TProgress *w, qint64, qint64 cnt) { static_cast<Load *>(w)->Progress(quint32(cnt)); },
    .running = "Запрос идентификатора устройства", .ended = "Контроллер , ПО загружено.",
    .failed = "Ошибка. Загрузка ПО прервана.", .barMax = 1000, .startMax = 1000};
// clang-format on

// The windows the thread drives, and with them the software load.
void threadOps()
{
    QTest::addColumn<Op>("op");
    QTest::newRow("Read") << readOp;
    QTest::newRow("Write") << writeOp;
    QTest::newRow("TTest") << testOp;
}
void allOps()
{
    threadOps();
    QTest::newRow("Load") << loadOp;
}
} // namespace

class TstOps : public WindowCase
{
    Q_OBJECT

    TThread idle; // runs nothing that is posted to it
    const QByteArray untouched = QByteArray(20, '\xA5');
    QByteArray record = untouched, answer = otherRecord();
    std::unique_ptr<TProgress> win;
    std::unique_ptr<QSignalSpy> closing;

    // The main window on the board simulator's line, without the link's pauses.
    void makeMain(SimHarness &sim, const QStringList &args)
    {
        QVERIFY2(sim.start(args), qPrintable(sim.error()));
        (w = new Q275)->show();
        w->linkThread()->setPort(sim.portName());
        w->linkThread()->setSleepFunction([](int) {});
    }
    static QString label(QWidget *w) { return w ? w->findChild<QLabel *>()->text() : "gone"; }
    static QPushButton *button(QWidget *w) { return w->findChild<QPushButton *>(); }
    QWidget *active() const { return w->workArea()->activeSubWindow()->widget(); }
    QString log() const { return w->findChild<QPlainTextEdit *>()->toPlainText(); }
    QByteArray cfg() const { return w->currentConfig() ? bytes(w->currentConfig(), 20) : ""; }
    // Runs a task window of the main window until it shows the text, then closes it.
    void run(const QString &task, const QString &end)
    {
        w->openWin(task);
        QPointer<QWidget> op = active();
        QTRY_COMPARE_WITH_TIMEOUT(label(op), end, 10000);
        button(op)->click();
        QTRY_VERIFY(!op);
    }
    // The row's window on the idle thread, following its task (the idle thread queues
    // nothing: a window's task is 0); bar() moves its bar and tells its value.
    Op open()
    {
        QFETCH(Op, op);
        win.reset(op.make(&idle, reinterpret_cast<TQ275 *>(record.data())));
        closing = std::make_unique<QSignalSpy>(win.get(), &TProgress::reqClose);
        emit idle.taskBeg(0);
        return op;
    }
    int bar(const Op &op, qint64 max, qint64 cnt)
    {
        op.bar(&idle, win.get(), max, cnt);
        return win->findChild<QProgressBar *>()->value();
    }
    // The window ended as the label and button tell; the button asks for a close with ok.
    void closes(const QString &text, const QString &buttonText, bool ok)
    {
        QCOMPARE(label(win.get()), text);
        QCOMPARE(button(win.get())->text(), buttonText);
        button(win.get())->click();
        QCOMPARE(closing->last(), QVariantList{ok});
        QVERIFY(!win->findChild<QTimer *>()->isActive());
    }

private slots:
    void init()
    {
        WindowCase::init();
        idle.requestStop();
        record = untouched;
    }
    void cleanup()
    {
        win.reset();
        WindowCase::cleanup();
    }

    // Running: an empty bar of its first range that follows each frame, a record that is not
    // touched, cancel.
    void running_data() { allOps(); }
    void running()
    {
        const Op op = open();
        QCOMPARE(win->findChild<QProgressBar *>()->text(), "0%"); // an empty bar, not none
        QCOMPARE(win->findChild<QProgressBar *>()->maximum(), op.startMax);
        emit idle.readCfg(nullptr); // no record: nothing happens
        QCOMPARE(bar(op, 23, 11), 11);
        QCOMPARE(bar(op, 23, -1), 11); // negative for a read, beyond the maximum otherwise
        QCOMPARE(bar(op, 25, 5), 5);
        QCOMPARE(win->findChild<QProgressBar *>()->maximum(), op.barMax);
        QCOMPARE(record, untouched);
        closes(op.running, "Отменить", false);
    }

    // Success: the text, the record of a read, and the close asked for after its time (not
    // at 80 % of it, by 130 %).
    void done_data() { allOps(); }
    void done()
    {
        const Op op = open();
        op.done(&idle, win.get(), reinterpret_cast<TQ275 *>(answer.data()));
        QCOMPARE(bar(op, 25, 5), 5);
        QCOMPARE(record, op.target);
        QVERIFY(!closing->wait(op.doneMs * 8 / 10) && closing->wait(op.doneMs / 2));
        closes(op.ended, "Закрыть", true);
        QCOMPARE(closing->count(), 2);
    }

    // Failure: the text, a bar that no longer moves, a late success that changes nothing.
    void failed_data()
    {
        allOps();
        QTest::newRow("Read, damaged record") << damagedReadOp;
    }
    void failed()
    {
        const Op op = open();
        QCOMPARE(bar(op, 23, 11), 11);
        op.fail(&idle, win.get());
        const QTimer *timer = win->findChild<QTimer *>(); // it asks to be closed 5 s later
        QVERIFY(timer->isActive() && timer->interval() == 5000);
        op.done(&idle, win.get(), reinterpret_cast<TQ275 *>(answer.data()));
        QCOMPARE(bar(op, 25, 5), 11);
        QCOMPARE(win->findChild<QProgressBar *>()->maximum(), op.barMax);
        QCOMPARE(record, untouched);
        QVERIFY(closing->isEmpty());
        closes(op.failed, "Закрыть", false);
    }

    // A frame length and count beyond the bar's range stay positive.
    void hugeLengths()
    {
        Write write(&idle, reinterpret_cast<TQ275 *>(record.data()));
        emit idle.taskBeg(0);
        sendBar(&idle, &write, 0xFFFFFFFFu, 0xFFFFFFFFu);
        QCOMPARE(write.findChild<QProgressBar *>()->value(), INT_MAX);
    }

    // A window follows its own task only: not another window's before it, and once let go
    // not even the thread's first.
    void ownTask_data() { threadOps(); }
    void ownTask()
    {
        QFETCH(Op, op);
        win.reset(op.make(&idle, reinterpret_cast<TQ275 *>(record.data())));
        auto *answerRec = reinterpret_cast<TQ275 *>(answer.data());
        emit idle.taskBeg(7);
        op.done(&idle, win.get(), answerRec);
        op.fail(&idle, win.get());
        QCOMPARE(bar(op, 30, 30), 0);
        emit idle.taskEnd(7, 0);
        emit idle.taskBeg(0);
        QCOMPARE(bar(op, 30, 7), 7);
        button(win.get())->click();
        emit idle.taskBeg(1);
        op.done(&idle, win.get(), answerRec);
        op.fail(&idle, win.get());
        QCOMPARE(bar(op, 30, 9), 7);
        QCOMPARE(label(win.get()), op.running);
        QCOMPARE(record, untouched);
    }

    // A read to its end: what the main window keeps, its status line and newest log line.
    void readThroughMain_data()
    {
        QTest::addColumn<MainRead>("read");
        const QByteArray corrupt = otherRecord().replace(3, 1, "\x01");
        // clang-format off
        QTest::newRow("read") << MainRead{
            .board = otherRecord(), .said = "Конфигурация адаптера прочитана.",
            .kept = otherRecord(), .status = "Прочитана конфигурация",
            .top = "Загружена конфигурация адаптера Q-275"};
        QTest::newRow("corrupt") << MainRead{
            .board = corrupt, .said = "Ошибка. Прочитанная конфигурация повреждена.", .kept = "",
            .status = "", .top = "Конфигурация адаптера Q-275 повреждена"};
        // clang-format on
    }
    void readThroughMain()
    {
        QFETCH(MainRead, read);
        SimHarness sim;
        makeMain(sim, {"--config", read.board.toHex()});
        w->read();
        QPointer<QWidget> reader = active();
        QTRY_COMPARE_WITH_TIMEOUT(label(reader), read.said, 10000);
        QCOMPARE(reader->findChild<QProgressBar *>()->maximum(), 25);
        button(reader)->click();
        QTRY_VERIFY(!reader);
        QCOMPARE(cfg(), read.kept);
        QCOMPARE(w->statusBar()->currentMessage(), read.status);
        QCOMPARE(log().section('\n', 0, 0).mid(11), read.top);
        QCOMPARE(log().count(read.top), 1);
    }
    // A cancelled read: the task runs on, and its result reaches nothing.
    void readCancelled()
    {
        SimHarness sim;
        makeMain(sim, {"--config", otherRecord().toHex(), "--latency", "300"});
        w->read();
        QPointer<QWidget> reader = active();
        button(reader)->click();
        QTRY_VERIFY_WITH_TIMEOUT(!reader && log().contains("Процесс чтения конфигурации выполнен"),
                                 10000);
        QCOMPARE(cfg(), QByteArray());
        QCOMPARE(w->statusBar()->currentMessage(), QString());
        QCOMPARE(log().section('\n', 0, 0).mid(11), "Процесс чтения конфигурации выполнен");
    }

    // A read's window acts only on its own task, and the record of a read whose window went
    // without a result goes with it: read again after a cancel whose task then fails, close
    // the window by its frame, switch the mode during a read.
    void lateSignals()
    {
        SimHarness sim;
        makeMain(sim, {"--config", otherRecord().toHex(), "--latency", "100"});
        QVERIFY(sim.fault("error,cmd=76"));
        w->read();
        QPointer<QWidget> first = active();
        button(first)->click();
        QTRY_VERIFY(!first);
        w->read();
        QTRY_COMPARE(label(active()), QStringLiteral("Конфигурация адаптера прочитана."));
        QTRY_VERIFY(w->workArea()->subWindowList().isEmpty());
        QCOMPARE(cfg(), otherRecord());
        modal->answerButton("&Да");
        w->read(); // closed by its frame
        QTRY_VERIFY(w->workArea()->activeSubWindow());
        w->workArea()->activeSubWindow()->close();
        QTRY_COMPARE(cfg(), QByteArray());
        w->read();
        modal->answerWith([](QWidget *dlg) {
            dlg->findChild<QLineEdit *>("eCode")->setText("Quill_Orchard");
            dlg->findChild<QPushButton *>("bSet")->click();
        });
        w->service();
        QCOMPARE(cfg(), QByteArray());
        QVERIFY(!log().contains("Конфигурация адаптера Q-275 повреждена"));
        QCOMPARE(modal->seen.size(), 2); // the question before the third read, and the codes
        w->read(); // "Создать" during a read: the new record outlives the read's window
        modal->answerButton("&Да");
        w->create();
        QTRY_VERIFY(w->workArea()->subWindowList().isEmpty());
        QTest::qWait(50);
        QCOMPARE(cfg(), newRecord());
        // "Закрыть" while the read's whole result waits in the queue: the closed window,
        // whose deletion comes after it, copies nothing into the freed record.
        modal->answerButton("&Да");
        w->read();
        QPointer<QWidget> reader = active();
        QString seen;
        connect(w->linkThread(), &TThread::readCfg, reader, [&] { seen = label(reader); });
        QDeadlineTimer busy(10000);
        while (w->linkThread()->isRunning() && !busy.hasExpired())
            QThread::msleep(10);
        w->shut();
        QTRY_VERIFY(!reader);
        QCOMPARE(seen, QStringLiteral("Чтение конфигурации адаптера Q-275"));
        QCOMPARE(cfg(), QByteArray());
    }

    // A test sends the open editors' unsaved values, a write the configuration itself;
    // neither window posts a record it was not given, and a refused test or a write on a
    // line that closes changes nothing and leaves the link ready for the next.
    void testAndWrite()
    {
        SimHarness sim;
        makeMain(sim, {"--config", otherRecord().toHex()});
        Write none(w->linkThread(), nullptr);
        TTest nothing(w->linkThread(), nullptr);
        QVERIFY(none.isFailed() && nothing.isFailed());
        w->create();
        w->openWin("Вход микрофона");
        auto *gain = active()->findChild<QDial *>("dialGain");
        w->openWin("Выход адаптера");
        gain->setValue(40);
        QVERIFY(sim.fault("status=2,cmd=74"));
        run("Проверить", "Ошибка. Загрузка конфигурации прервана.");
        QCOMPARE(sim.record("test"), QByteArray());
        w->test();
        gain->setValue(41); // the test has taken its values already
        run("Проверить", "Проверка конфигурации адаптера Q-275 выполнена.");
        QCOMPARE(sim.record("test"), withChecksum(newRecord().replace(10, 1, "\x28")));
        // A failed write closed by its frame: its late close request (the 5 s timer, a click)
        // closes no other window, least of all an editor with its unsaved values.
        QVERIFY(sim.fault("close,cmd=75"));
        w->openWin("Записать");
        QPointer<QWidget> writer = active();
        QTRY_COMPARE_WITH_TIMEOUT(label(writer), "Ошибка. Запись конфигурации прервана.", 10000);
        w->workArea()->activeSubWindow()->close();
        QVERIFY(!writer->findChild<QTimer *>()->isActive());
        button(writer)->click();
        QTRY_VERIFY(!writer);
        QCOMPARE(w->workArea()->subWindowList().size(), 2);
        QCOMPARE(sim.record("config"), otherRecord());
        QCOMPARE(cfg(), newRecord());
        run("Записать", "Конфигурации адаптера Q-275 записана.");
        QCOMPARE(w->statusBar()->currentMessage(), QStringLiteral("Записана конфигурация"));
        QCOMPARE(sim.record("config"), newRecord());
        QCOMPARE(sim.commands(), (QList<quint8>{0x74, 0x74, 0x75, 0x75}));
    }

    // The software load window opened with a file, and a file that cannot be read.
    void load()
    {
        (w = new Q275)->show();
        const QString rom = box->filePath("ctrl.rom"), folder = box->filePath("folder.rom");
        QFile f(rom);
        QVERIFY(f.open(QIODevice::WriteOnly) && f.write(QByteArray(65536, 'x')) == 65536);
        f.close();
        modal->answerFile(rom);
        w->load();
        QPointer<Load> load = qobject_cast<Load *>(active());
        QCOMPARE(load->findChild<QProgressBar *>()->maximum(), 65536);
        button(load)->click();
        QTRY_VERIFY(!load);

        QVERIFY(QDir().mkdir(folder));
        modal->answerFile(folder);
        w->load();
        QCOMPARE(modal->seen[2].title, QStringLiteral("Терминал адаптера Q-275"));
        QCOMPARE(modal->seen[2].text, "Файл " + folder + " не удалось открыть.");
        QVERIFY(w->workArea()->subWindowList().isEmpty());
    }
};

QTEST_MAIN(TstOps)
#include "tst_ops.moc"
