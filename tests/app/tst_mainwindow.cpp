#include <QtTest>

#include <functional>

#include <QAction>
#include <QDockWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QSettings>
#include <QStatusBar>
#include <QToolBar>
#include <QTreeWidget>

#include <QLineEdit>
#include <QPushButton>

#include "about.h"
#include "cdevtree.h"
#include "modalresponder.h"
#include "obdfile.h"
#include "q275.h"
#include "simharness.h"
#include "testsandbox.h"
#include "tthread.h"

namespace
{
const quint8 kNewRecord[20] = {0x0F, 0x04, 0x00, 0x73, 0x64, 0x8F, 0x41, 0x80, 0x00, 0x00,
                               0x16, 0x73, 0x64, 0x8F, 0x41, 0x80, 0x00, 0x00, 0x00, 0xE3};

QByteArray rec20(const TQ275 *r)
{
    return r ? QByteArray(reinterpret_cast<const char *>(r->bytes()), 20) : QByteArray();
}

QByteArray newRecordBytes()
{
    return QByteArray(reinterpret_cast<const char *>(kNewRecord), 20);
}

QAction *action(Q275 *w, const QString &text)
{
    const QList<QAction *> all = w->findChildren<QAction *>();
    for (QAction *a : all)
        if (a->text() == text)
            return a;
    return nullptr;
}

QStringList logLines(Q275 *w)
{
    auto *edit = w->findChild<QPlainTextEdit *>();
    return edit->toPlainText().split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

// Log lines without their time stamp, newest first.
QStringList logTexts(Q275 *w)
{
    QStringList out;
    const QStringList lines = logLines(w);
    for (const QString &l : lines)
        out << l.mid(11);
    return out;
}

QStringList treeTexts(CDevTree *tree)
{
    QStringList out;
    if (!tree)
        return out;
    for (int i = 0; i < tree->topLevelItemCount(); ++i) {
        QTreeWidgetItem *top = tree->topLevelItem(i);
        out << top->text(0);
        for (int j = 0; j < top->childCount(); ++j)
            out << QStringLiteral("  ") + top->child(j)->text(0);
    }
    return out;
}

QTreeWidgetItem *findItem(CDevTree *tree, const QString &text, int nth = 0)
{
    QList<QTreeWidgetItem *> items =
        tree->findItems(text, Qt::MatchExactly | Qt::MatchRecursive, 0);
    return nth < items.size() ? items[nth] : nullptr;
}

bool sameIcon(const QIcon &icon, const QString &path)
{
    return !icon.isNull() && icon.pixmap(16, 16).toImage() == QIcon(path).pixmap(16, 16).toImage();
}

void writeBytes(const QString &path, const QByteArray &data)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    QCOMPARE(f.write(data), qint64(data.size()));
}

QByteArray readBytes(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return QByteArray();
    return f.readAll();
}
} // namespace

class TestMainWindow : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void startUpState();
    void portFileFirstLineOnly();
    void logNewestFirst();
    void createBuildsDefaultRecordAndTree();
    void createAsksBeforeReplacing();
    void saveCreatedConfigurationImage();
    void saveAfterCreateUsesEarlierFile();
    void saveFailureKeepsEarlierFile();
    void openValidFile();
    void openRefusesBadFiles_data();
    void openRefusesBadFiles();
    void openCorruptRecord();
    void openBodyChangeIsAccepted();
    void shutForgetsFileAndConfig();
    void recentFiles();
    void recentMissingFileStays();
    void treeInfoItems();
    void treeGroupItemsOpenNothing();
    void secondActivationRaisesWindow();
    void closeWinFindsRequestingWindow();
    void editorRoundTripKeepsChecksum();
    void readReplacesConfigOnlyOnYes();
    void closeEventStopsThread();
    void serviceModesRebuildTree();
    void userModeWhileInUserMode();
    void corruptReadIsNotReportedAsRead();

private:
    Q275 *makeWindow();
    void createConfig(Q275 *w);

    TestSandbox *tmp = nullptr;
    Q275 *win = nullptr;
    ModalResponder *modal = nullptr;
};

void TestMainWindow::initTestCase()
{
    QCoreApplication::setOrganizationName(QStringLiteral("Veltrona"));
    QCoreApplication::setApplicationName(QStringLiteral("Terminal Q-275"));
}

void TestMainWindow::init()
{
    tmp = new TestSandbox;
    QVERIFY(tmp->isValid());
    QSettings().clear();
    modal = new ModalResponder(this);
}

void TestMainWindow::cleanup()
{
    if (win) {
        win->setAttribute(Qt::WA_DeleteOnClose, false);
        win->workArea()->closeAllSubWindows();
        delete win;
        win = nullptr;
    }
    delete modal;
    modal = nullptr;
    delete tmp;
    tmp = nullptr;
}

Q275 *TestMainWindow::makeWindow()
{
    win = new Q275;
    win->show();
    return win;
}

void TestMainWindow::createConfig(Q275 *w)
{
    w->create();
    QCOMPARE(rec20(w->currentConfig()), newRecordBytes());
}

void TestMainWindow::startUpState()
{
    Q275 *w = makeWindow();
    QCOMPARE(w->windowTitle(), QStringLiteral("Терминал адаптера Q-275"));
    QCOMPARE(w->size(), QSize(800, 600));
    QCOMPARE(w->minimumSize(), QSize(150, 200));
    QVERIFY(!w->currentConfig());
    QCOMPARE(w->currentMode(), 1);
    QCOMPARE(w->currentPort(), QString());

    struct Row {
        const char *text, *tip;
        bool enabled;
        QKeySequence::StandardKey key;
    };
    const Row rows[] = {
        {"&Создать", "Cоздать файл конфигурации устройства", true, QKeySequence::New},
        {"&Открыть", "Открыть файл конфигурации устройства", true, QKeySequence::Open},
        {"&Сохранить", "Сохранить файл конфигурации устройства", false, QKeySequence::Save},
        {"&Сохранить как", "Сохранить файл конфигурации устройства как...", false,
         QKeySequence::SaveAs},
        {"&Закрыть...", "Закрыть файл конфигурации устройства", true, QKeySequence::Close},
        {"&Выход", "Выйти из программы", true, QKeySequence::Quit},
        {"&Прочитать", "Прочитать конфигурацию из устройства", true, QKeySequence::UnknownKey},
        {"&Проверить", "Проверить конфигурацию из устройства", false, QKeySequence::UnknownKey},
        {"&Записать", "Записать конфигурацию в устройство", false, QKeySequence::UnknownKey},
        {"&Пользовательский", "Установить пользовательский режим", true, QKeySequence::UnknownKey},
        {"&Сервис", "Установить сервисный режим", true, QKeySequence::UnknownKey},
        {"&СОМ Порт", "Установка COM порта", true, QKeySequence::UnknownKey},
        {"&О программе", "Информация о версии программы", true, QKeySequence::UnknownKey},
        {"Закрыть", "Закрыть активное окно", true, QKeySequence::UnknownKey},
        {"Закрыть все", "Закрыть все окна", true, QKeySequence::UnknownKey},
        {"Развернуть", "Развернуть все окна", true, QKeySequence::UnknownKey},
        {"Каскадом", "Каскад окон", true, QKeySequence::UnknownKey},
    };
    for (const Row &r : rows) {
        QAction *a = action(w, QString::fromUtf8(r.text));
        QVERIFY2(a, r.text);
        QCOMPARE(a->statusTip(), QString::fromUtf8(r.tip));
        QCOMPARE(a->isEnabled(), r.enabled);
        if (r.key != QKeySequence::UnknownKey)
            QCOMPARE(a->shortcuts(), QKeySequence::keyBindings(r.key));
        else
            QVERIFY(a->shortcut().isEmpty());
    }
    // Latin C in the status tip of "&Создать"; Cyrillic СОМ in the menu text, Latin COM in the tip.
    QCOMPARE(action(w, QStringLiteral("&Создать"))->statusTip().at(0), QChar(u'C'));
    QCOMPARE(action(w, QStringLiteral("&СОМ Порт"))->text().at(1), QChar(0x0421));
    QVERIFY(action(w, QStringLiteral("&Пользовательский"))->isChecked());
    QVERIFY(sameIcon(action(w, QStringLiteral("&Прочитать"))->icon(), ":/images/read.bmp"));
    QVERIFY(!sameIcon(action(w, QStringLiteral("&Прочитать"))->icon(), ":/images/write.bmp"));
    QVERIFY(action(w, QStringLiteral("&Закрыть..."))->icon().isNull());

    // Every image the program names is in its resources and loads.
    for (const char *name :
         {"chip.ico",  "page.png",  "open.png",     "save.png",    "save_as.png", "read.bmp",
          "test.bmp",  "write.bmp", "service.bmp",  "connect.png", "help.png",    "delete.png",
          "close.png", "win.png",   "multiple.png", "task.png",    "device.png",  "transmit.png",
          "mic.png",   "sound.png", "info.png",     "monitor.png", "trace.png",   "veltrona.jpg"}) {
        const QImage img(QStringLiteral(":/images/") + QLatin1String(name));
        QVERIFY2(!img.isNull(), name);
    }
    QVERIFY(!w->windowIcon().isNull());

    QStringList menus;
    const QList<QAction *> bar = w->menuBar()->actions();
    for (QAction *a : bar)
        menus << (a->isSeparator() ? QStringLiteral("|") : a->text());
    QCOMPARE(menus,
             (QStringList{"&Файл", "|", "&Задачи", "|", "&Опции", "|", "Окно", "|", "&Справка"}));

    QStringList fileMenu;
    const QList<QAction *> fileActs = bar.first()->menu()->actions();
    for (QAction *a : fileActs)
        fileMenu << (a->isSeparator() ? QStringLiteral("|") : a->text());
    QCOMPARE(fileMenu, (QStringList{"&Создать", "&Открыть", "|", "&Сохранить", "&Сохранить как",
                                    "|", "", "", "", "", "", "|", "&Закрыть...", "&Выход"}));
    QVERIFY(!fileActs.at(5)->isVisible()); // no recent files: no separator

    const QList<QToolBar *> bars = w->findChildren<QToolBar *>();
    QCOMPARE(bars.size(), 2);
    QCOMPARE(bars[0]->windowTitle(), QStringLiteral("Файл"));
    QCOMPARE(bars[0]->actions().size(), 4);
    QCOMPARE(bars[1]->windowTitle(), QStringLiteral("Задачи"));
    QCOMPARE(bars[1]->actions().size(), 3);

    auto *logDock = w->findChild<QDockWidget *>();
    QCOMPARE(logDock->windowTitle(), QStringLiteral("Лог программы"));
    QCOMPARE(w->dockWidgetArea(logDock), Qt::BottomDockWidgetArea);
    QVERIFY(w->findChild<QPlainTextEdit *>()->isReadOnly());
}

void TestMainWindow::portFileFirstLineOnly()
{
    writeBytes(QStringLiteral("Q275.ini"), "/dev/ttyUSB7\r\nCOM3\n");
    Q275 *w = makeWindow();
    QCOMPARE(w->currentPort(), QStringLiteral("/dev/ttyUSB7"));
}

void TestMainWindow::logNewestFirst()
{
    Q275 *w = makeWindow();
    const QTime before = QTime::currentTime();
    emit w->mes(QStringLiteral("A"));
    emit w->mes(QStringLiteral("B"));
    const QStringList lines = logLines(w);
    QCOMPARE(lines.size(), 2);
    const QRegularExpression re(QStringLiteral("^(\\d\\d:\\d\\d:\\d\\d)-> (.*)$"));
    auto m0 = re.match(lines[0]);
    auto m1 = re.match(lines[1]);
    QVERIFY2(m0.hasMatch(), qPrintable(lines[0]));
    QVERIFY2(m1.hasMatch(), qPrintable(lines[1]));
    QCOMPARE(m0.captured(2), QStringLiteral("B"));
    QCOMPARE(m1.captured(2), QStringLiteral("A"));
    const QTime stamp = QTime::fromString(m1.captured(1), Qt::TextDate);
    QVERIFY(qAbs(stamp.secsTo(before)) <= 1);

    // The link thread's lines arrive through the same slot.
    emit w->linkThread()->mes(QStringLiteral("C"));
    QTRY_COMPARE(logTexts(w).value(0), QStringLiteral("C"));
}

void TestMainWindow::createBuildsDefaultRecordAndTree()
{
    Q275 *w = makeWindow();
    w->create();
    QCOMPARE(rec20(w->currentConfig()), newRecordBytes());
    QCOMPARE(logTexts(w), (QStringList{"Загружена конфигурация адаптера Q-275",
                                       "Создана новая конфигурация адаптера Q-275 "}));
    for (const char *t : {"&Сохранить", "&Сохранить как", "&Проверить", "&Записать"})
        QVERIFY2(action(w, QString::fromUtf8(t))->isEnabled(), t);
    QCOMPARE(w->currentFileName(), QString());

    CDevTree *tree = w->deviceTree();
    QVERIFY(tree);
    QVERIFY(tree->isHeaderHidden());
    QCOMPARE(tree->sizeHint().width(), 190);
    QCOMPARE(treeTexts(tree), (QStringList{"Задачи", "  Прочитать", "  Проверить", "  Записать",
                                           "Адаптер", "  Вход приемника", "  Вход микрофона",
                                           "  Выход адаптера", "Информация"}));
    struct Item {
        const char *text, *icon, *tip;
    };
    const Item items[] = {
        {"Задачи", ":/images/task.png", "Список операций адаптера Q-275"},
        {"Прочитать", ":/images/read.bmp", "Прочитать конфигурацию адаптера"},
        {"Проверить", ":/images/test.bmp", "Проверить конфигурацию адаптера"},
        {"Записать", ":/images/write.bmp", "Записать конфигурацию адаптера"},
        {"Адаптер", ":/images/device.png", "Список интерфейсов адаптера"},
        {"Вход приемника", ":/images/transmit.png", "Канал сигнала приемника радиостанции"},
        {"Вход микрофона", ":/images/mic.png", "Канал сигнала микрофона радиостанции"},
        {"Выход адаптера", ":/images/sound.png", "Уровни выходных сигналов адаптера"},
        {"Информация", ":/images/info.png", ""},
    };
    for (const Item &it : items) {
        QTreeWidgetItem *item = findItem(tree, QString::fromUtf8(it.text));
        QVERIFY2(item, it.text);
        QCOMPARE(item->toolTip(0), QString::fromUtf8(it.tip));
        QVERIFY2(sameIcon(item->icon(0), QString::fromLatin1(it.icon)), it.text);
        QVERIFY(!item->isExpanded());
    }
    QVERIFY(tree->selectedItems().isEmpty());
    QDockWidget *dock = nullptr;
    for (QWidget *p = tree->parentWidget(); p && !dock; p = p->parentWidget())
        dock = qobject_cast<QDockWidget *>(p);
    QVERIFY(dock);
    QCOMPARE(dock->widget(), tree);
    QCOMPARE(dock->windowTitle(), QStringLiteral(" Q-275"));
    QCOMPARE(w->dockWidgetArea(dock), Qt::LeftDockWidgetArea);
    QVERIFY(modal->seen.isEmpty());
}

void TestMainWindow::createAsksBeforeReplacing()
{
    Q275 *w = makeWindow();
    createConfig(w);
    const TQ275 *first = w->currentConfig();
    modal->answerButton(QStringLiteral("&Нет"));
    w->create();
    QCOMPARE(modal->seen.size(), 1);
    QCOMPARE(modal->seen[0].kind, QStringLiteral("message"));
    QCOMPARE(modal->seen[0].title, QStringLiteral("Терминал адаптера Q-275"));
    QCOMPARE(modal->seen[0].text, QStringLiteral("Закрыть текущее устройство"));
    QCOMPARE(modal->seen[0].buttons, (QStringList{"&Да", "&Нет"}));
    QCOMPARE(w->currentConfig(), first);
    QCOMPARE(treeTexts(w->deviceTree()).size(), 9);

    modal->answerButton(QStringLiteral("&Да"));
    w->create();
    QCOMPARE(modal->seen.size(), 2);
    QCOMPARE(rec20(w->currentConfig()), newRecordBytes());
    QCOMPARE(treeTexts(w->deviceTree()).size(), 9); // rebuilt, not doubled
}

void TestMainWindow::saveCreatedConfigurationImage()
{
    Q275 *w = makeWindow();
    createConfig(w);
    const QString path = tmp->filePath(QStringLiteral("a.obd"));
    modal->answerFile(path);
    w->save(); // no file yet: asks for a name
    QCOMPARE(modal->seen.size(), 1);
    QCOMPARE(modal->seen[0].kind, QStringLiteral("file"));
    QCOMPARE(modal->seen[0].text, QStringLiteral("Сохранить файл"));
    QCOMPARE(modal->seen[0].nameFilter,
             QStringLiteral("Файл функциональной платы Q275(*.obd);;Все файлы (*.*)"));

    const QByteArray file = readBytes(path);
    QCOMPARE(file.toHex(' '), ObdFile::image(*w->currentConfig()).toHex(' '));
    QCOMPARE(file.size(), 822);
    QCOMPARE(file.mid(802), newRecordBytes());
    QCOMPARE(quint8(file[68]), quint8(0x63));
    QCOMPARE(logTexts(w).value(0),
             QStringLiteral("Конфигурация адаптера Q-275, (822 байт) записана в файл: ") + path);
    QCOMPARE(w->statusBar()->currentMessage(), QStringLiteral("Файл сохранен"));
    QCOMPARE(w->windowFilePath(), path);
    QCOMPARE(QSettings().value("recentFileList").toStringList(), QStringList{path});
    QVERIFY(QDir(tmp->path()).entryList(QDir::Files).contains("a.obd"));
    QCOMPARE(QDir(tmp->path()).entryList(QDir::Files | QDir::Hidden).filter("a.obd").size(), 1);
}

void TestMainWindow::saveAfterCreateUsesEarlierFile()
{
    Q275 *w = makeWindow();
    createConfig(w);
    const QString path = tmp->filePath(QStringLiteral("b.obd"));
    modal->answerFile(path);
    w->saveAs();
    QCOMPARE(modal->seen.size(), 1);

    // Change the file on disk, create anew and save: the earlier file is overwritten
    // without any dialog.
    writeBytes(path, "junk");
    modal->answerButton(QStringLiteral("&Да"));
    w->create();
    w->save();
    QCOMPARE(modal->seen.size(), 2); // only the close question
    QCOMPARE(readBytes(path).size(), 822);
    QCOMPARE(readBytes(path).mid(802), newRecordBytes());
}

void TestMainWindow::saveFailureKeepsEarlierFile()
{
    Q275 *w = makeWindow();
    createConfig(w);
    // A folder that cannot take the temporary file: the save fails before touching
    // anything, and the warning names the file.
    const QString bad = tmp->filePath(QStringLiteral("missing/dir/c.obd"));
    modal->answerFile(bad);
    modal->answerButton(QStringLiteral("OK"));
    w->saveAs();
    QCOMPARE(modal->seen.size(), 2);
    QCOMPARE(modal->seen[1].text,
             QStringLiteral("Файл ") + bad + QStringLiteral(" не удалось открыть."));
    QCOMPARE(modal->seen[1].title, QStringLiteral("Терминал адаптера Q-275"));
    QCOMPARE(modal->seen[1].buttons, QStringList{"OK"});
    QVERIFY(QSettings().value("recentFileList").toStringList().isEmpty());
    QCOMPARE(w->currentFileName(), bad); // the new name stays current
}

void TestMainWindow::openValidFile()
{
    TQ275 r;
    memcpy(r.bytes(), kNewRecord, 20);
    r.rx[0] = 7;
    r.updateChecksum();
    const QString path = tmp->filePath(QStringLiteral("rx.obd"));
    writeBytes(path, ObdFile::image(r));

    Q275 *w = makeWindow();
    modal->answerFile(path);
    w->open();
    QCOMPARE(modal->seen.size(), 1);
    QCOMPARE(modal->seen[0].text, QStringLiteral("Открыть файл"));
    QCOMPARE(modal->seen[0].nameFilter,
             QStringLiteral("Файл функциональной платы Q275(*.obd);;Все файлы (*.*)"));
    QCOMPARE(rec20(w->currentConfig()), rec20(&r));
    QCOMPARE(logTexts(w),
             (QStringList{"Загружена конфигурация адаптера Q-275",
                          "Загружена конфигурация из файла: " + path + " (822 байт)"}));
    QCOMPARE(w->statusBar()->currentMessage(), QStringLiteral("Файл открыт"));
    QCOMPARE(w->currentFileName(), path);
    QVERIFY(action(w, QStringLiteral("&Записать"))->isEnabled());

    // An empty answer to the dialog after "&Да" leaves the configuration closed.
    modal->answerButton(QStringLiteral("&Да"));
    modal->answerFile(QString());
    w->open();
    QVERIFY(!w->currentConfig());
    QCOMPARE(w->currentFileName(), path);
    QVERIFY(!action(w, QStringLiteral("&Записать"))->isEnabled());
}

void TestMainWindow::openRefusesBadFiles_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("suffix");
    QTest::newRow("821 bytes") << "821"
                               << " не соответсвует типу устройства.";
    QTest::newRow("823 bytes") << "823"
                               << " не соответсвует типу устройства.";
    QTest::newRow("missing") << "missing"
                             << " не удалось открыть.";
    QTest::newRow("a folder") << "folder"
                              << " не удалось открыть.";
    for (int i = 0; i <= 68; i += 17)
        QTest::addRow("header byte %d", i) << QString::number(i) << "";
    QTest::newRow("header byte 68") << "68"
                                    << "";
}

void TestMainWindow::openRefusesBadFiles()
{
    QFETCH(QString, kind);
    QFETCH(QString, suffix);
    const QString path = tmp->filePath(QStringLiteral("bad.obd"));
    QByteArray img = ObdFile::image(*reinterpret_cast<const TQ275 *>(kNewRecord));
    if (kind == "821")
        writeBytes(path, img.left(821));
    else if (kind == "823")
        writeBytes(path, img + '\0');
    else if (kind == "folder")
        QVERIFY(QDir(tmp->path()).mkdir("bad.obd"));
    else if (kind != "missing") {
        img[kind.toInt()] = char(img[kind.toInt()] + 1);
        writeBytes(path, img);
    }

    Q275 *w = makeWindow();
    modal->answerFile(path);
    modal->answerButton(QStringLiteral("OK"));
    w->open();
    QCOMPARE(modal->seen.size(), 2);
    const QString expected = suffix.isEmpty()
                                 ? QStringLiteral("Ошибка контрольной суммы заголовка файла")
                                 : QStringLiteral("Файл ") + path + suffix;
    QCOMPARE(modal->seen[1].text, expected);
    QCOMPARE(modal->seen[1].title, QStringLiteral("Терминал адаптера Q-275"));
    QVERIFY(!w->currentConfig());
    QVERIFY(logLines(w).isEmpty());
    QVERIFY(QSettings().value("recentFileList").toStringList().isEmpty());
    QCOMPARE(w->currentFileName(), path); // file only
    QVERIFY(!action(w, QStringLiteral("&Сохранить"))->isEnabled());
}

void TestMainWindow::openCorruptRecord()
{
    QByteArray img = ObdFile::image(*reinterpret_cast<const TQ275 *>(kNewRecord));
    img[802 + 5] = char(img[802 + 5] + 1);
    const QString path = tmp->filePath(QStringLiteral("corrupt.obd"));
    writeBytes(path, img);

    Q275 *w = makeWindow();
    modal->answerFile(path);
    w->open();
    QCOMPARE(modal->seen.size(), 1); // the file dialog only: no warning box
    QVERIFY(!w->currentConfig());
    QCOMPARE(logTexts(w),
             (QStringList{"Конфигурация адаптера Q-275 повреждена",
                          "Загружена конфигурация из файла: " + path + " (822 байт)"}));
    QCOMPARE(w->statusBar()->currentMessage(), QStringLiteral("Файл открыт"));
    QCOMPARE(QSettings().value("recentFileList").toStringList(), QStringList{path});
    QVERIFY(!w->deviceTree() || w->deviceTree()->topLevelItemCount() == 0);
    QVERIFY(!action(w, QStringLiteral("&Сохранить"))->isEnabled());
}

void TestMainWindow::openBodyChangeIsAccepted()
{
    QByteArray img = ObdFile::image(*reinterpret_cast<const TQ275 *>(kNewRecord));
    img[69] = 'r';
    img[500] = char(0x77);
    img[801] = char(0x09);
    const QString path = tmp->filePath(QStringLiteral("body.obd"));
    writeBytes(path, img);
    Q275 *w = makeWindow();
    modal->answerFile(path);
    w->open();
    QCOMPARE(rec20(w->currentConfig()), newRecordBytes());
    QCOMPARE(treeTexts(w->deviceTree()).size(), 9);
}

void TestMainWindow::shutForgetsFileAndConfig()
{
    Q275 *w = makeWindow();
    w->shut(); // nothing loaded: nothing shown
    QVERIFY(modal->seen.isEmpty());

    createConfig(w);
    const QString path = tmp->filePath(QStringLiteral("d.obd"));
    modal->answerFile(path);
    w->saveAs();
    QCOMPARE(w->currentFileName(), path);
    w->shut();
    QCOMPARE(modal->seen.size(), 1); // no question
    QVERIFY(!w->currentConfig());
    QCOMPARE(w->currentFileName(), QString());
    QCOMPARE(w->deviceTree()->topLevelItemCount(), 0);
    for (const char *t : {"&Сохранить", "&Сохранить как", "&Проверить", "&Записать"})
        QVERIFY2(!action(w, QString::fromUtf8(t))->isEnabled(), t);
    QVERIFY(action(w, QStringLiteral("&Прочитать"))->isEnabled());

    // After "&Закрыть..." a create is saved through the dialog again.
    createConfig(w);
    modal->answerFile(QString());
    w->save();
    QCOMPARE(modal->seen.size(), 2);
    QCOMPARE(modal->seen[1].kind, QStringLiteral("file"));
}

void TestMainWindow::recentFiles()
{
    Q275 *w = makeWindow();
    createConfig(w);
    QStringList saved;
    for (int i = 1; i <= 7; ++i) {
        const QString path = tmp->filePath(QStringLiteral("f%1.obd").arg(i));
        modal->answerFile(path);
        w->saveAs();
        saved.prepend(path);
    }
    QCOMPARE(QSettings().value("recentFileList").toStringList(), saved.mid(0, 5));
    const QList<QAction *> fileActs = w->menuBar()->actions().first()->menu()->actions();
    QVERIFY(fileActs.at(5)->isVisible());
    for (int i = 0; i < 5; ++i) {
        QAction *a = fileActs.at(6 + i);
        QVERIFY(a->isVisible());
        QCOMPARE(a->text(), QStringLiteral("&%1 f%2.obd").arg(i + 1).arg(7 - i));
        QCOMPARE(a->data().toString(), saved[i]);
    }

    // Opening an entry already in the list moves it to the top without duplicating it.
    modal->answerButton(QStringLiteral("&Да"));
    fileActs.at(6 + 3)->trigger(); // f4.obd
    QCOMPARE(w->currentFileName(), saved[3]);
    QStringList expected = saved.mid(0, 5);
    expected.move(3, 0);
    QCOMPARE(QSettings().value("recentFileList").toStringList(), expected);
    QCOMPARE(fileActs.at(6)->text(), QStringLiteral("&1 f4.obd"));
    QCOMPARE(rec20(w->currentConfig()), newRecordBytes());
}

void TestMainWindow::recentMissingFileStays()
{
    const QString gone = tmp->filePath(QStringLiteral("gone/rx.obd"));
    QSettings().setValue("recentFileList", QStringList{gone});
    Q275 *w = makeWindow();
    const QList<QAction *> fileActs = w->menuBar()->actions().first()->menu()->actions();
    QCOMPARE(fileActs.at(6)->text(), QStringLiteral("&1 rx.obd"));
    modal->answerButton(QStringLiteral("OK"));
    fileActs.at(6)->trigger();
    QCOMPARE(modal->seen.size(), 1);
    QCOMPARE(modal->seen[0].text,
             QStringLiteral("Файл ") + gone + QStringLiteral(" не удалось открыть."));
    QCOMPARE(QSettings().value("recentFileList").toStringList(), QStringList{gone});
    QVERIFY(fileActs.at(6)->isVisible());
}

void TestMainWindow::treeInfoItems()
{
    TQ275 r;
    memcpy(r.bytes(), kNewRecord, 20);
    r.infoFlag = 1;
    r.updateChecksum();
    const QString path = tmp->filePath(QStringLiteral("info.obd"));
    writeBytes(path, ObdFile::image(r));
    Q275 *w = makeWindow();
    modal->answerFile(path);
    w->open();
    QCOMPARE(treeTexts(w->deviceTree()),
             (QStringList{"Задачи", "  Прочитать", "  Проверить", "  Записать", "Адаптер",
                          "  Вход приемника", "  Вход микрофона", "  Выход адаптера", "Информация",
                          "Информация"}));
    QTreeWidgetItem *first = findItem(w->deviceTree(), "Информация", 0);
    QTreeWidgetItem *second = findItem(w->deviceTree(), "Информация", 1);
    QCOMPARE(first->toolTip(0), QStringLiteral("Информация о версии адаптера"));
    QCOMPARE(second->toolTip(0), QString());

    // Both items open the same single window.
    w->openItem(first, 0);
    w->openItem(second, 0);
    QCOMPARE(w->workArea()->subWindowList().size(), 1);
    QCOMPARE(w->workArea()->subWindowList().first()->windowTitle(), QStringLiteral("Информация"));
    // A column other than 0 opens nothing.
    w->workArea()->closeAllSubWindows();
    w->openItem(first, 1);
    QCOMPARE(w->workArea()->subWindowList().size(), 0);
}

void TestMainWindow::treeGroupItemsOpenNothing()
{
    Q275 *w = makeWindow();
    createConfig(w);
    for (const char *t : {"Задачи", "Адаптер"}) {
        w->openItem(findItem(w->deviceTree(), QString::fromUtf8(t)), 0);
        QCOMPARE(w->workArea()->subWindowList().size(), 0);
    }
    w->openWin(QStringLiteral("Монитор"));
    QCOMPARE(w->workArea()->subWindowList().size(), 0);
}

void TestMainWindow::secondActivationRaisesWindow()
{
    Q275 *w = makeWindow();
    createConfig(w);
    w->about();
    w->openWin(QStringLiteral("Информация"));
    QCOMPARE(w->workArea()->subWindowList().size(), 2);
    w->about();
    QCOMPARE(w->workArea()->subWindowList().size(), 2);
    QCOMPARE(w->workArea()->activeSubWindow()->windowTitle(), QStringLiteral("О программе"));
    w->openItem(findItem(w->deviceTree(), "Информация"), 0);
    QCOMPARE(w->workArea()->subWindowList().size(), 2);
    QCOMPARE(w->workArea()->activeSubWindow()->windowTitle(), QStringLiteral("Информация"));
    QVERIFY(modal->seen.isEmpty());
}

void TestMainWindow::closeWinFindsRequestingWindow()
{
    Q275 *w = makeWindow();
    createConfig(w);
    w->about();
    w->openWin(QStringLiteral("Информация"));
    // The information window is active; the About window asks to be closed.
    QCOMPARE(w->workArea()->activeSubWindow()->windowTitle(), QStringLiteral("Информация"));
    QPointer<About> about = qobject_cast<About *>(w->workArea()->subWindowList().first()->widget());
    QVERIFY(about);
    emit about->reqClose(false);
    QTRY_VERIFY(!about);
    QCOMPARE(w->workArea()->subWindowList().size(), 1);
    QCOMPARE(w->workArea()->subWindowList().first()->windowTitle(), QStringLiteral("Информация"));
    QCOMPARE(rec20(w->currentConfig()), newRecordBytes());
}

void TestMainWindow::editorRoundTripKeepsChecksum()
{
    // An editor closing with success copies its part of the working copy back and the
    // checksum is recomputed, so a mode switch or a save and reopen never finds the
    // record corrupt.
    Q275 *w = makeWindow();
    createConfig(w);
    w->openWin(QStringLiteral("Вход микрофона"));
    QCOMPARE(w->workArea()->subWindowList().size(), 1);
    QWidget *editor = w->workArea()->subWindowList().first()->widget();
    QVERIFY(QMetaObject::invokeMethod(editor, "reqClose", Q_ARG(bool, true)));
    QTRY_COMPARE(w->workArea()->subWindowList().size(), 0);
    QVERIFY(w->currentConfig()->isValid());

    const QString path = tmp->filePath(QStringLiteral("mic.obd"));
    modal->answerFile(path);
    w->saveAs();
    modal->answerButton(QStringLiteral("&Да"));
    modal->answerFile(path);
    w->open();
    QVERIFY(w->currentConfig());
    QVERIFY(!logTexts(w).contains(QStringLiteral("Конфигурация адаптера Q-275 повреждена")));
}

void TestMainWindow::readReplacesConfigOnlyOnYes()
{
    Q275 *w = makeWindow();
    createConfig(w);
    const TQ275 *before = w->currentConfig();
    modal->answerButton(QStringLiteral("&Нет"));
    w->read();
    QCOMPARE(w->currentConfig(), before);
    QCOMPARE(w->workArea()->subWindowList().size(), 0);
    QCOMPARE(treeTexts(w->deviceTree()).size(), 9);

    modal->answerButton(QStringLiteral("&Да"));
    w->read();
    QCOMPARE(modal->seen.size(), 2);
    QCOMPARE(w->workArea()->subWindowList().size(), 1);
    // The fresh record starts zero-filled.
    QCOMPARE(rec20(w->currentConfig()), QByteArray(20, '\0'));
    QCOMPARE(w->deviceTree()->topLevelItemCount(), 0);
    QVERIFY(!action(w, QStringLiteral("&Записать"))->isEnabled());

    // A second activation raises the same window and asks nothing.
    w->read();
    QCOMPARE(modal->seen.size(), 2);
    QCOMPARE(w->workArea()->subWindowList().size(), 1);

    // A read that ends without a result leaves no configuration.
    QWidget *reader = w->workArea()->subWindowList().first()->widget();
    QVERIFY(QMetaObject::invokeMethod(reader, "reqClose", Q_ARG(bool, false)));
    QTRY_COMPARE(w->workArea()->subWindowList().size(), 0);
    QVERIFY(!w->currentConfig());
}

void TestMainWindow::closeEventStopsThread()
{
    Q275 *w = makeWindow();
    QPointer<Q275> guard(w);
    w->about();
    QVERIFY(w->close());
    win = nullptr; // deleted on close
    QTRY_VERIFY(!guard);
}

namespace
{
// Types a service code into the Service dialog and presses "Ввод".
std::function<void(QWidget *)> typeCode(const QString &code)
{
    return [code](QWidget *dlg) {
        dlg->findChild<QLineEdit *>(QStringLiteral("eCode"))->setText(code);
        dlg->findChild<QPushButton *>(QStringLiteral("bSet"))->click();
    };
}
} // namespace

void TestMainWindow::serviceModesRebuildTree()
{
    Q275 *w = makeWindow();
    createConfig(w);
    w->about();
    QCOMPARE(w->workArea()->subWindowList().size(), 1);

    // The current mode's code changes nothing: the window stays open.
    modal->answerWith(typeCode(QStringLiteral("Mint_Harbour")));
    w->service();
    QCOMPARE(w->currentMode(), 1);
    QCOMPARE(w->workArea()->subWindowList().size(), 1);

    // A wrong code is refused without a word.
    modal->answerWith(typeCode(QStringLiteral("amber_castles")));
    w->service();
    QCOMPARE(w->currentMode(), 1);
    QCOMPARE(modal->seen.size(), 2);

    const QStringList base{"Задачи",  "  Прочитать",      "  Проверить",      "  Записать",
                           "Адаптер", "  Вход приемника", "  Вход микрофона", "  Выход адаптера"};
    const QStringList withMonitor = base + QStringList{"Монитор", "  Трассировка", "Информация"};
    struct Step {
        const char *code;
        int mode;
        bool monitor;
    };
    const Step steps[] = {{"Amber_Castles", 5, true},  {"Fern_Compass", 10, true},
                          {"Quill_Orchard", 2, false}, {"Kappa_Lantern", 3, false},
                          {"Birch_Tempest", 4, false}, {"Granite_Pelican", 6, false}};
    for (const Step &st : steps) {
        w->about();
        modal->answerWith(typeCode(QString::fromLatin1(st.code)));
        w->service();
        QCOMPARE(w->currentMode(), st.mode);
        QCOMPARE(w->workArea()->subWindowList().size(), 0); // all windows closed
        QCOMPARE(treeTexts(w->deviceTree()),
                 st.monitor ? withMonitor : base + QStringList{"Информация"});
        QVERIFY(!action(w, QStringLiteral("&Пользовательский"))->isChecked());
        QVERIFY(action(w, QStringLiteral("&Записать"))->isEnabled());
        if (st.monitor) {
            QTreeWidgetItem *mon = findItem(w->deviceTree(), "Монитор");
            QVERIFY(sameIcon(mon->icon(0), ":/images/monitor.png"));
            QCOMPARE(mon->toolTip(0), QString());
            QVERIFY(sameIcon(mon->child(0)->icon(0), ":/images/trace.png"));
        }
    }
    QVERIFY(!logTexts(w).contains(QStringLiteral("Конфигурация адаптера Q-275 повреждена")));

    // Back to the user mode through its own action.
    action(w, QStringLiteral("&Пользовательский"))->trigger();
    QCOMPARE(w->currentMode(), 1);
    QVERIFY(action(w, QStringLiteral("&Пользовательский"))->isChecked());
    QCOMPARE(treeTexts(w->deviceTree()), base + QStringList{"Информация"});
}

void TestMainWindow::userModeWhileInUserMode()
{
    Q275 *w = makeWindow();
    createConfig(w);
    w->about();
    QAction *user = action(w, QStringLiteral("&Пользовательский"));
    user->trigger(); // a checkable action unchecks itself; the slot checks it again
    QVERIFY(user->isChecked());
    QCOMPARE(w->workArea()->subWindowList().size(), 1);
    QCOMPARE(w->currentMode(), 1);
    QCOMPARE(logLines(w).size(), 2);
}

void TestMainWindow::corruptReadIsNotReportedAsRead()
{
    // A board whose stored record fails its checksum: the read itself succeeds, the
    // record is refused when it is shown, and the status bar does not call it read.
    QByteArray bad = SimHarness::defaultConfig();
    bad[3] = char(bad[3] + 1);
    SimHarness sim;
    QVERIFY2(sim.start({QStringLiteral("--config"), QString::fromLatin1(bad.toHex())}),
             qPrintable(sim.error()));
    writeBytes(QStringLiteral("Q275.ini"), sim.portName().toLocal8Bit());
    Q275 *w = makeWindow();
    w->read();
    QTRY_VERIFY_WITH_TIMEOUT(w->workArea()->subWindowList().isEmpty(), 8000);
    QCOMPARE(logTexts(w).value(0), QStringLiteral("Конфигурация адаптера Q-275 повреждена"));
    QCOMPARE(logTexts(w).value(1), QStringLiteral("Процесс чтения конфигурации выполнен"));
    QVERIFY(!w->currentConfig());
    QCOMPARE(w->statusBar()->currentMessage(), QString());
    QVERIFY(!action(w, QStringLiteral("&Записать"))->isEnabled());
}

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
