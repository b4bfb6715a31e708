// The operation windows (read, write, test, software load): first driven by the link
// thread's signals on a thread that runs nothing, then as the main window runs them
// against the board simulator.
#include <QtTest>
#include <QtWidgets>

#include "load.h"
#include "modalresponder.h"
#include "q275.h"
#include "read.h"
#include "simharness.h"
#include "testkit.h"
#include "testsandbox.h"
#include "ttest.h"
#include "tthread.h"
#include "write.h"

class TstOps : public QObject
{
    Q_OBJECT

    TThread idle; // runs nothing that is posted to it
    std::unique_ptr<TestSandbox> box;
    std::unique_ptr<ModalResponder> modal;
    Q275 *w = nullptr;

    // The main window on the board simulator's line, without the link's pauses.
    void makeMain(SimHarness &sim, const QStringList &args)
    {
        QVERIFY2(sim.start(args), qPrintable(sim.error()));
        (w = new Q275)->show();
        w->linkThread()->setPort(sim.portName());
        w->linkThread()->setSleepFunction([](int) {});
    }
    static QString label(QWidget *w) { return w->findChild<QLabel *>()->text(); }
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

private slots:
    void init()
    {
        QCoreApplication::setOrganizationName(QStringLiteral("Veltrona"));
        QCoreApplication::setApplicationName(QStringLiteral("Terminal Q-275"));
        idle.requestStop();
        box.reset(new TestSandbox);
        modal.reset(new ModalResponder);
    }
    void cleanup()
    {
        if (w) {
            w->setAttribute(Qt::WA_DeleteOnClose, false);
            w->workArea()->closeAllSubWindows();
            delete w;
            w = nullptr;
        }
    }

    // Each window from start to close: its bar, its outcome, late signals, reqClose.
    void windows_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<int>("outcome"); // 0 cancelled, 1 done, 2 failed
        QTest::addColumn<QString>("label");
        QTest::addColumn<int>("timer"); // ms until it asks to close by itself; 0: the button
        auto row = [](const char *kind, int outcome, const char *label, int timer = 0) {
            QTest::addRow("%s %d", kind, outcome) << kind << outcome << label << timer;
        };
        row("Read", 0, "Чтение конфигурации адаптера Q-275");
        row("Read", 1, "Конфигурация адаптера прочитана.", 500);
        row("Read", 2, "Ошибка. Чтение конфигурации прервано.");
        row("Write", 0, "Загрузка конфигурации адаптера Q-275");
        row("Write", 1, "Конфигурации адаптера Q-275 записана.", 1000);
        row("Write", 2, "Ошибка. Запись конфигурации прервана.");
        row("TTest", 0, "Проверка конфигурации адаптера Q-275");
        row("TTest", 1, "Проверка конфигурации адаптера Q-275 выполнена.", 1000);
        row("TTest", 2, "Ошибка. Загрузка конфигурации прервана.");
        row("Load", 0, "Запрос идентификатора устройства");
        row("Load", 1, "Контроллер , ПО загружено.");
        row("Load", 2, "Ошибка. Загрузка ПО прервана.", 5000);
    }
    void windows()
    {
        QFETCH(QString, kind);
        QFETCH(int, outcome);
        QFETCH(int, timer);
        const QByteArray before(20, char(0xA5));
        QByteArray record = before, late = otherRecord();
        auto *target = reinterpret_cast<TQ275 *>(record.data());
        auto *answer = reinterpret_cast<TQ275 *>(late.data());
        TThread *t = &idle;
        auto *load = kind == "Load" ? new Load(t, new quint8[1000], 1000) : nullptr;
        std::unique_ptr<TProgress> win(kind == "Read"    ? new Read(t, target)
                                       : kind == "Write" ? new Write(t, target)
                                       : kind == "TTest"
                                           ? static_cast<TProgress *>(new TTest(t, target))
                                           : load);
        auto end = [&](bool ok) {
            if (kind == "Read")
                ok ? emit t->readCfg(answer) : emit t->readErr();
            else if (kind == "Write")
                ok ? emit t->saveStp() : emit t->saveErr();
            else if (kind == "TTest")
                ok ? emit t->testStp() : emit t->testErr();
            else
                ok ? load->Stop() : load->Error();
        };
        // The bar follows each frame: recvMax/recvCnt for a read, sendMax/sendCnt otherwise.
        auto bar = [&](qint64 max, qint64 cnt) {
            if (kind == "Read")
                emit t->recvMax(qint32(max)), emit t->recvCnt(qint32(cnt));
            else if (load)
                load->Progress(quint32(cnt));
            else
                emit t->sendMax(quint32(max)), emit t->sendCnt(quint32(cnt));
            return win->findChild<QProgressBar *>();
        };
        QCOMPARE(win->findChild<QProgressBar *>()->text(), "0%"); // an empty bar, not none
        QSignalSpy spy(win.get(), &TProgress::reqClose);
        if (!load) { // another window's task reaches nothing
            emit t->taskBeg(7);
            end(true);
            bar(30, 30);
            emit t->taskEnd(7, 0);
        }
        emit t->taskBeg(0);          // the idle thread queues nothing: a window's task is 0
        emit t->readCfg(nullptr);    // no record: nothing happens
        if (!load && kind != "Read") // huge lengths stay positive
            QCOMPARE(bar(0xFFFFFFFFu, 0xFFFFFFFFu)->value(), INT_MAX);
        QCOMPARE(bar(23, 11)->value(), 11);
        QCOMPARE(bar(23, -1)->value(), 11); // negative for a read, beyond the maximum otherwise
        if (outcome == 2)
            end(false);
        if (outcome == 1 || (outcome == 2 && !timer))
            end(true); // after a failure a late success changes nothing
        QCOMPARE(bar(25, 5)->value(), outcome == 2 ? 11 : 5);
        QCOMPARE(win->findChild<QProgressBar *>()->maximum(), load ? 1000 : 25);
        QTEST(label(win.get()), "label");
        QCOMPARE(button(win.get())->text(), outcome ? "Закрыть" : "Отменить");
        QCOMPARE(record, kind == "Read" && outcome == 1 ? otherRecord() : before);
        if (timer) // not closed at 80 % of the time, closed by 130 %
            QVERIFY(!spy.wait(timer * 8 / 10) && spy.wait(timer / 2));
        QCOMPARE(spy.count(), timer ? 1 : 0);
        button(win.get())->click();
        QCOMPARE(spy.value(0).value(0), QVariant(outcome == 1));
        QVERIFY(!win->findChild<QTimer *>()->isActive());
        if (!load) { // a window let go follows no task, not even the thread's first
            emit t->taskBeg(1);
            end(true);
            QTEST(label(win.get()), "label");
        }
    }

    void readThroughMain_data()
    {
        QTest::addColumn<QByteArray>("record");
        QTest::addColumn<bool>("cancel");
        QTest::addColumn<QString>("top"); // the newest log line
        QTest::newRow("read") << otherRecord() << false << "Загружена конфигурация адаптера Q-275";
        QTest::newRow("corrupt") << otherRecord().replace(3, 1, "\x01") << false
                                 << "Конфигурация адаптера Q-275 повреждена";
        QTest::newRow("cancelled")
            << otherRecord() << true << "Процесс чтения конфигурации выполнен";
    }
    void readThroughMain()
    {
        QFETCH(QByteArray, record);
        QFETCH(bool, cancel);
        QFETCH(QString, top);
        SimHarness sim;
        makeMain(sim, {"--config", record.toHex(), "--latency", cancel ? "300" : "0"});
        w->read();
        QPointer<QWidget> reader = active();
        if (cancel) { // the task runs on, and its result reaches nothing
            button(reader)->click();
        } else {
            QTRY_COMPARE(label(reader), QStringLiteral("Конфигурация адаптера прочитана."));
            QCOMPARE(reader->findChild<QProgressBar *>()->maximum(), 25);
        }
        QTRY_VERIFY_WITH_TIMEOUT(!reader && log().contains("Процесс чтения конфигурации выполнен"),
                                 10000);
        const bool shown = top.startsWith("Загружена");
        QCOMPARE(cfg(), shown ? record : QByteArray());
        QCOMPARE(w->statusBar()->currentMessage(), shown ? "Прочитана конфигурация" : QString());
        QCOMPARE(log().section('\n', 0, 0).mid(11), top);
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
