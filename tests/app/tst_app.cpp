// The main window and its dialogs: the log, the configuration's life (create, files,
// recent list, read, close), the device tree and window routing, modes and the port.
#include <QtTest>
#include <QtWidgets>

#include "app/cdevtree.h"
#include "app/q275.h"
#include "app/translations.h"
#include "config/obdfile.h"
#include "link/tmemoryport.h"
#include "link/tthread.h"
#include "simharness.h"
#include "testkit.h"
#include "windowcase.h"

namespace
{
const QString kAsk = QStringLiteral("Закрыть текущее устройство");
const QString kChanged = QStringLiteral("Конфигурация изменена. Сохранить изменения?");
const QString kTitle = QStringLiteral("Терминал адаптера Q-275");
const QString kTree = QStringLiteral("Задачи|  Прочитать|  Проверить|  Записать|Адаптер|  Вход "
                                     "приемника|  Вход микрофона|  Выход адаптера|Информация");

// The whole .obd file of a record.
QByteArray obd(const QByteArray &rec)
{
    return ObdFile::image(*reinterpret_cast<const TQ275 *>(rec.constData()));
}

// Writes data into the file, or with no data reads it.
QByteArray file(const QString &path, const QByteArray &data = QByteArray())
{
    QFile f(path);
    if (!data.isNull() && f.open(QIODevice::WriteOnly))
        f.write(data);
    return data.isNull() && f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// A file to open, made at its path, and what the program then shows and says ("%1": the
// path): the state, the whole log, the texts of the file dialog and the boxes, the recent
// files, the status bar.
struct OpenCase {
    std::function<void(const QString &)> make;
    QStringList state = QStringList(4, "");
    QString log = {};
    QStringList boxes = {};
    QStringList recent = {};
    QString status = {};
};
// A service code, the mode it gives, the work windows it keeps open and the tree it shows.
struct ServiceCase {
    const char *code;
    int mode = 1;                 // a wrong code changes nothing
    QString kept = "О программе"; // the current mode keeps the windows
    QString tree = kTree;
};
// Makes a file with these bytes.
std::function<void(const QString &)> bytesFile(const QByteArray &data)
{
    return [data](const QString &path) { file(path, data); };
}
} // namespace
Q_DECLARE_METATYPE(OpenCase)
Q_DECLARE_METATYPE(ServiceCase)

class TstApp : public WindowCase
{
    Q_OBJECT

    mutable QTreeWidget noTree; // the tree before the first configuration

    // The log, newest line first, without the time stamps.
    QString log() const
    {
        const QRegularExpression stamp("(?m)^\\d\\d:\\d\\d:\\d\\d-> ");
        return w->findChild<QPlainTextEdit *>()->toPlainText().remove(stamp);
    }
    QWidget *active() const { return w->workArea()->activeSubWindow()->widget(); }
    // The configuration in hex, the tree, the open windows and whether it can be written.
    QStringList state() const
    {
        QStringList tree, windows;
        for (QTreeWidgetItemIterator it(w->deviceTree() ? w->deviceTree() : &noTree); *it; ++it)
            tree << QString((*it)->parent() ? "  " : "") + (*it)->text(0);
        for (QMdiSubWindow *sw : w->workArea()->subWindowList())
            windows << sw->windowTitle();
        return {w->currentConfig() ? bytes(w->currentConfig(), 20).toHex() : "", tree.join('|'),
                windows.join('|'),
                act("&Записать")->isEnabled() && act("&Проверить")->isEnabled() ? "write" : ""};
    }
    QStringList recent() const { return QSettings().value("recentFileList").toStringList(); }
    // The title as shown: Qt's mark of changes as "*".
    QString title() const
    {
        return w->windowTitle().replace("[*]", w->isWindowModified() ? "*" : "");
    }
    // Saves an edit of the receiver input into the configuration.
    void saveEdit(int att)
    {
        w->openWin("Вход приемника");
        active()->findChild<QDial *>("dialAtt")->setValue(att);
        active()->findChild<QPushButton *>("bSave")->click();
    }
    // Opens a task window and waits until it has closed itself.
    void runTask(const QString &task)
    {
        w->openWin(task);
        QPointer<QWidget> op = active();
        QTRY_VERIFY_WITH_TIMEOUT(!op, 10000);
    }
    QString portShown() const { return w->statusBar()->findChild<QLabel *>()->text(); }
    // Opens the port dialog, adds "ttyElsewhere" to the list, chooses it and presses the
    // button; the port the list showed first.
    QString choosePort(const char *button)
    {
        QString shown;
        modal->answerWith([&](QWidget *d) {
            auto *ports = d->findChild<QComboBox *>("boxPorts");
            shown = ports->currentText();
            ports->addItem("ttyElsewhere");
            ports->setCurrentText("ttyElsewhere");
            d->findChild<QPushButton *>(button)->click();
        });
        w->port();
        return shown;
    }
    // Types a service code and presses "Ввод" (a dialog left open would hang the test).
    void service(const QString &code)
    {
        modal->answerWith([code](QWidget *dlg) {
            dlg->findChild<QLineEdit *>("eCode")->setText(code);
            dlg->findChild<QPushButton *>("bSet")->click();
        });
        w->service();
    }

private slots:
    void init()
    {
        WindowCase::init();
        QSettings().clear();
        (w = new Q275)->show();
    }

    // The configuration: create, save, edit, switch the mode, reopen, replace, close,
    // and the recent files.
    void configuration()
    {
        act("&Создать")->trigger();
        QCOMPARE(state(), (QStringList{newRecord().toHex(), kTree, "", "write"}));
        QCOMPARE(log(), "Загружена конфигурация адаптера Q-275\nСоздана новая конфигурация "
                        "адаптера Q-275 \n");
        QStringList saved{box->filePath("f1.obd")};
        modal->answerFile(saved[0]);
        act("&Сохранить")->trigger(); // no file yet: asks for a name
        QCOMPARE(file(saved[0]), obd(newRecord()));
        QVERIFY(log().startsWith(
            "Конфигурация адаптера Q-275, (822 байт) записана в файл: " + saved[0] + "\n"));
        QCOMPARE(w->statusBar()->currentMessage(), QStringLiteral("Файл сохранен"));

        // A saved edit keeps the checksum through a mode switch and the file.
        saveEdit(7);
        const QString edit = withChecksum(newRecord().replace(1, 1, "\x07")).toHex();
        w->openWin("Вход приемника"); // a reset that is not saved is dropped
        active()->findChild<QPushButton *>("bReset")->click();
        active()->findChild<QPushButton *>("bClose")->click();
        w->openWin("Вход приемника");
        QCOMPARE(active()->findChild<QDial *>("dialAtt")->value(), 7);
        service("Quill_Orchard");
        w->save();
        w->about();
        modal->answerButton("&Нет");
        act("&Открыть")->trigger();
        QCOMPARE(state(), (QStringList{edit, kTree, "О программе", "write"})); // "&Нет" keeps all
        modal->answerButton("&Да");
        modal->answerFile(saved[0]);
        w->open();
        QCOMPARE(state(), (QStringList{edit, kTree, "", "write"})); // rebuilt, not doubled

        modal->answerButton("&Да");
        w->create();
        w->save(); // into the earlier file, without a dialog
        QCOMPARE(file(saved[0]), obd(newRecord()));
        const QString bad = box->filePath("no/b.obd");
        modal->answerFile(bad);
        w->saveAs();
        QCOMPARE(modal->texts(),
                 (QStringList{"Сохранить файл", "", kAsk, kAsk, "Открыть файл", kAsk,
                              "Сохранить файл", "Файл " + bad + " не удалось открыть."}));
        QCOMPARE(recent(), saved);

        for (int i = 2; i <= 7; ++i) {
            saved.prepend(box->filePath(QStringLiteral("f%1.obd").arg(i)));
            modal->answerFile(saved[0]);
            w->saveAs();
        }
        QCOMPARE(recent(), saved.mid(0, 5));
        QVERIFY(act("&1 f7.obd")->isVisible() && act("&5 f3.obd")->isVisible()); // numbered
        act("&Закрыть...")->trigger();                                           // asks nothing
        QCOMPARE(state(), QStringList(4, ""));
        act("&4 f4.obd")->trigger(); // moves to the top
        saved.move(3, 0);
        QCOMPARE(recent(), saved.mid(0, 5));
    }

    // A save that cannot write every byte says so (the earlier file stays as it was: tst_core).
    void saveCutShort()
    {
        const QString path = box->filePath("kept.obd");
        file(path, "earlier bytes");
        act("&Создать")->trigger();
        modal->answerFile(path);
        withFullDisk(100, [this] { act("&Сохранить как")->trigger(); });
        QCOMPARE(modal->texts().last(), "Файл " + path + " не удалось записать.");
        QVERIFY(!log().contains("записана в файл") && recent().isEmpty());
    }

    // Closing takes at most two seconds, even with the worker held by a line that does not
    // give way; the worker goes away by itself once the line lets it go.
    void closing()
    {
        auto port = std::make_shared<TMemoryPort>();
        port->setResponder([](const QByteArray &b) { return QThread::sleep(3), b; });
        w->linkThread()->setPortFactory([port] { return port; });
        w->linkThread()->setPort("ttyT");
        QPointer<TThread> worker = w->linkThread();
        w->read();
        QTRY_VERIFY(worker->isRunning());
        QElapsedTimer t;
        t.start();
        QVERIFY(std::exchange(w, nullptr)->close());
        QVERIFY2(t.elapsed() < 2000, qPrintable(QString::number(t.elapsed())));
        QTRY_VERIFY_WITH_TIMEOUT(!worker, 5000);
    }

    // An editor's "Сохранить" is a change; a test keeps it; a write, a save and a read end it.
    // The title names the file and marks the changes; replacing or closing a configuration
    // with changes asks about them.
    void changes()
    {
        SimHarness sim;
        QVERIFY2(sim.start(), qPrintable(sim.error()));
        w->linkThread()->setPort(sim.portName());
        w->linkThread()->setSleepFunction([](int) {});
        w->create();
        QCOMPARE(title(), kTitle);
        saveEdit(7);
        QCOMPARE(title(), kTitle + "*");
        runTask("Проверить");
        QCOMPARE(title(), kTitle + "*");
        runTask("Записать");
        QCOMPARE(title(), kTitle);
        saveEdit(6);
        modal->answerFile(box->filePath("a.obd"));
        w->save();
        QCOMPARE(title(), kTitle + " — a.obd");
        saveEdit(5);
        modal->answerButton("&Не сохранять");
        runTask("Прочитать");
        QCOMPARE(title(), kTitle + " — a.obd");
        QCOMPARE(sim.record("config"), withChecksum(newRecord().replace(1, 1, "\x07")));
        saveEdit(4);
        modal->answerButton("&Не сохранять");
        act("&Закрыть...")->trigger();
        QCOMPARE(title(), kTitle);
        QCOMPARE(modal->texts(), (QStringList{"Сохранить файл", kChanged, kChanged}));
        QCOMPARE(modal->seen[0].filter, "Файл функциональной платы Q275(*.obd);;Все файлы (*)");
        QVERIFY(!w->currentConfig());
    }

    // Closing with changes asks before anything closes: Escape ("&Отмена") and a save that
    // does not happen keep the program running; "&Сохранить" saves, then closes.
    void closeWithChanges()
    {
        w->create();
        saveEdit(7);
        w->about();
        QVERIFY(!w->close());
        modal->answerButton("&Сохранить");
        modal->answerFile(""); // the save dialog cancelled
        QVERIFY(!w->close());
        QCOMPARE(state()[2], QStringLiteral("О программе"));
        const QString path = box->filePath("kept.obd");
        modal->answerButton("&Сохранить");
        modal->answerFile(path);
        QVERIFY(std::exchange(w, nullptr)->close());
        QCOMPARE(file(path), obd(withChecksum(newRecord().replace(1, 1, "\x07"))));
        QCOMPARE(modal->seen[0].title, kTitle);
        QCOMPARE(modal->seen[0].text, kChanged);
        QStringList buttons = modal->seen[0].buttons; // in the platform's order
        buttons.sort();
        QCOMPARE(buttons, (QStringList{"&Не сохранять", "&Отмена", "&Сохранить"}));
        QCOMPARE(modal->seen.size(), 5);
    }

    // The window comes back at the size and with the docks the user left (800 x 600 at first).
    void comeBackAsLeft()
    {
        QCOMPARE(w->size(), QSize(800, 600));
        w->resize(700, 500);
        auto dock = [this](const char *name) { return w->findChild<QDockWidget *>(name); };
        w->addDockWidget(Qt::RightDockWidgetArea, dock("logDock"));
        w->create();
        w->addDockWidget(Qt::BottomDockWidgetArea, dock("treeDock"));
        QVERIFY(std::exchange(w, nullptr)->close());
        (w = new Q275)->show();
        QCOMPARE(w->size(), QSize(700, 500));
        QCOMPARE(w->dockWidgetArea(dock("logDock")), Qt::RightDockWidgetArea);
        w->create();
        QCOMPARE(w->dockWidgetArea(dock("treeDock")), Qt::BottomDockWidgetArea);
    }

    // A file named on the command line, relative to the working folder, opens as with
    // "&Открыть"; the title names it.
    void startFile()
    {
        file("c.obd", obd(newRecord()));
        w->openFile("c.obd");
        const QString path = box->filePath("c.obd");
        QCOMPARE(title(), kTitle + " — c.obd");
        QCOMPARE(recent(), QStringList{path});
        QCOMPARE(log(), "Загружена конфигурация адаптера Q-275\nЗагружена конфигурация из файла: " +
                            path + " (822 байт)\n");
    }

    // Each editor opens at its form's size plus the frame, inside the work area.
    void editorsFit()
    {
        w->create();
        QApplication::processEvents();
        for (const char *kind : {"Вход приемника", "Вход микрофона", "Выход адаптера"}) {
            w->openWin(kind);
            QMdiSubWindow *sw = w->workArea()->activeSubWindow();
            QCOMPARE(sw->contentsRect().size(), sw->widget()->size());
            QVERIFY(w->workArea()->viewport()->rect().contains(sw->geometry()));
        }
    }

    // The log shows the lines of both threads, newest first; its context menu saves it, oldest
    // line first, and clears it.
    void logMenu()
    {
        emit w->mes("A");
        std::thread([this] { emit w->linkThread()->mes("B"); }).join(); // as the link's worker
        QTRY_COMPARE(log(), "B\nA\n");
        QStringList entries;
        QTimer::singleShot(0, [&entries] {
            auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
            for (QAction *a : menu->actions())
                entries << a->text();
            menu->close();
        });
        emit w->findChild<QPlainTextEdit *>()->customContextMenuRequested(QPoint(5, 5));
        QCOMPARE(entries.mid(entries.size() - 2),
                 (QStringList{"Сохранить журнал...", "Очистить журнал"}));
        const QString path = box->filePath("log.txt"), bad = box->filePath("no/log.txt");
        modal->answerFile(path);
        act("Сохранить журнал...")->trigger();
        QCOMPARE(QString::fromUtf8(file(path)).replace(QRegularExpression("\\d"), "0"),
                 QStringLiteral("00:00:00-> A\n00:00:00-> B\n"));
        modal->answerFile(bad);
        act("Сохранить журнал...")->trigger();
        QCOMPARE(modal->texts().last(), "Файл " + bad + " не удалось открыть.");
        act("Очистить журнал")->trigger();
        QCOMPARE(log(), QString());
    }

    // Qt's own texts come in Russian for a Russian locale and one that names no language.
    void qtTranslation_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("cancel");
        QTest::newRow("Russian") << QString("ru_RU") << QString("Отмена");
        QTest::newRow("none") << QString("C") << QString("Отмена");
        QTest::newRow("English") << QString("en_US") << QString("Cancel");
    }
    void qtTranslation()
    {
        QFETCH(QString, locale);
        QFETCH(QString, cancel);
        std::unique_ptr<QTranslator> qt(installTranslations(*qApp, QLocale(locale)));
        QCOMPARE(QCoreApplication::translate("QPlatformTheme", "Cancel"), cancel);
    }

    void openFile_data()
    {
        QTest::addColumn<OpenCase>("c");
        const auto add = [](const char *row, const OpenCase &c) { QTest::newRow(row) << c; };
        const QByteArray info = withChecksum(newRecord().replace(17, 1, "\x01"));
        const QString opened = "\nЗагружена конфигурация из файла: %1 (822 байт)\n";
        const QString dialog = "Открыть файл";
        // clang-format off
        // A file that opens: the record is shown, or found corrupt after the file was opened.
        add("info flag", {
            .make = bytesFile(obd(info)),
            .state = {info.toHex(), kTree + "|Информация", "", "write"},
            .log = "Загружена конфигурация адаптера Q-275" + opened, .boxes = {dialog},
            .recent = {"%1"}, .status = "Файл открыт"});
        add("record byte", {
            .make = bytesFile(obd(newRecord()).replace(807, 1, "0")),
            .log = "Конфигурация адаптера Q-275 повреждена" + opened, .boxes = {dialog},
            .recent = {"%1"}, .status = "Файл открыт"});
        // A file that does not open says why, and leaves no trace in the log or the recent
        // files. (Which files are refused, byte by byte and by their kind: tst_core.)
        add("821 bytes", {
            .make = bytesFile(obd(newRecord()).left(821)),
            .boxes = {dialog, "Файл %1 не соответсвует типу устройства."}});
        add("folder", {
            .make = [](const QString &p) { QDir().mkdir(p); },
            .boxes = {dialog, "Файл %1 не удалось открыть."}});
        add("header byte", {
            .make = bytesFile(obd(newRecord()).replace(40, 1, "\x7f")),
            .boxes = {dialog, "Ошибка контрольной суммы заголовка файла"}});
        // clang-format on
    }
    void openFile()
    {
        QFETCH(OpenCase, c);
        const QString path = box->filePath("c.obd");
        c.make(path);
        modal->answerFile(path);
        act("&Открыть")->trigger();
        QCOMPARE(state(), c.state);
        QCOMPARE(log(), c.log.replace("%1", path));
        QCOMPARE(modal->texts(), c.boxes.replaceInStrings("%1", path));
        QCOMPARE(recent(), c.recent.replaceInStrings("%1", path));
        QCOMPARE(w->statusBar()->currentMessage(), c.status);
    }

    // Windows open once per kind and close the one that asked, not the active one; a read
    // replaces the configuration with a zero-filled record.
    void windows()
    {
        w->create();
        auto open = [this](const QString &text) {
            w->openItem(w->deviceTree()->findItems(text, Qt::MatchExactly | Qt::MatchRecursive)[0],
                        0);
            return state()[2] + " " + w->workArea()->activeSubWindow()->windowTitle();
        };
        w->about();
        QPointer<QWidget> about = active();
        QCOMPARE(open("Информация"), QStringLiteral("О программе|Информация Информация"));
        w->about();
        QCOMPARE(open("Адаптер"), QStringLiteral("О программе|Информация О программе"));
        w->openWin("Информация");
        about->findChild<QPushButton *>("bClose")->click();
        QTRY_VERIFY(!about);
        QCOMPARE(state()[2], QStringLiteral("Информация"));
        QPointer<QWidget> info = active();
        info->findChild<QPushButton *>("bClose")->click();
        QTRY_VERIFY(!info);
        w->openWin("Трассировка"); // a kind of window the tree shows in service modes only
        QCOMPARE(state()[2], QStringLiteral("Трассировка"));

        modal->answerButton("&Да");
        act("&Прочитать")->trigger();
        act("&Прочитать")->trigger(); // raises the window, asks nothing
        QCOMPARE(modal->texts(), QStringList{kAsk});
        QCOMPARE(state(), (QStringList{QByteArray(20, 0).toHex(), "", "Прочитать", ""}));
    }

    void serviceModes_data()
    {
        QTest::addColumn<ServiceCase>("c");
        const auto add = [](const ServiceCase &c) { QTest::addRow("'%s'", c.code) << c; };
        const QString monitor =
            kTree.left(kTree.lastIndexOf('|')) + "|Монитор|  Трассировка|Информация";
        // clang-format off
        add({.code = "Mint_Harbour"});
        add({.code = "Quill_Orchard",   .mode = 2,  .kept = ""});
        add({.code = "Kappa_Lantern",   .mode = 3,  .kept = ""});
        add({.code = "Birch_Tempest",   .mode = 4,  .kept = ""});
        add({.code = "Amber_Castles",   .mode = 5,  .kept = "", .tree = monitor});
        add({.code = "Granite_Pelican", .mode = 6,  .kept = ""});
        add({.code = "Fern_Compass",    .mode = 10, .kept = "", .tree = monitor});
        // clang-format on
        for (const char *wrong : {"", "amber_castles", "Amber_Castles ", "Fern_Compas"})
            add({.code = wrong});
    }
    void serviceModes()
    {
        QFETCH(ServiceCase, c);
        w->about();
        service(c.code);
        QCOMPARE(w->currentMode(), c.mode);
        QCOMPARE(state(), (QStringList{"", "", c.kept, ""}));
        w->create();
        QCOMPARE(state()[1], c.tree);
        w->about();
        act("&Пользовательский")->trigger(); // in the user mode it changes nothing
        QVERIFY(w->currentMode() == 1 && act("&Пользовательский")->isChecked());
        QCOMPARE(state(), (QStringList{newRecord().toHex(), kTree, c.kept, "write"}));
    }

    // The port dialog lists the current port when it is free and preselects it; "Закрыть"
    // leaves the port file alone, "Ввод" writes the chosen name alone and hands it to the link.
    void portDialog()
    {
        QCOMPARE(portShown(), QStringLiteral("Порт не выбран"));
        SimHarness sim; // its line is a free pseudo-terminal
        QVERIFY2(sim.start(), qPrintable(sim.error()));
        const QByteArray ini = sim.slavePath().toLocal8Bit() + "\nsecond line\n";
        file("Q275.ini", ini);
        delete std::exchange(w, new Q275);
        QCOMPARE(portShown(), "Порт: " + sim.slavePath());
        auto port = std::make_shared<TMemoryPort>();
        port->setOpenFails(true);
        w->linkThread()->setPortFactory([port] { return port; });
        QCOMPARE(choosePort("bClose"), sim.slavePath());
        QCOMPARE(file("Q275.ini"), ini);
        QCOMPARE(choosePort("bSet"), sim.slavePath());
        QCOMPARE(file("Q275.ini"), QByteArray("ttyElsewhere"));
        // On a full disk the port file keeps what it had, and the technician is told.
        withFullDisk(4, [this] { choosePort("bSet"); });
        QCOMPARE(file("Q275.ini"), QByteArray("ttyElsewhere"));
        QCOMPARE(modal->texts().last(), QStringLiteral("Файл Q275.ini не удалось записать."));
        QCOMPARE(portShown(), QStringLiteral("Порт: ttyElsewhere"));
        w->read(); // the thread opens the chosen port
        QTRY_COMPARE(port->events().value(0), QStringLiteral("open ttyElsewhere"));
    }
};

QTEST_MAIN(TstApp)
#include "tst_app.moc"
