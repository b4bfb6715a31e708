// The operation windows and dialogs as the real main window runs them, with the
// board simulator at the other end of a pseudo-terminal.
#include <QComboBox>
#include <QDial>
#include <QDir>
#include <QElapsedTimer>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSettings>
#include <QStatusBar>
#include <QTreeWidget>
#include <QtTest>

#include <cstring>

#include "cdevtree.h"
#include "load.h"
#include "modalresponder.h"
#include "q275.h"
#include "read.h"
#include "simharness.h"
#include "testsandbox.h"
#include "tinptx.h"
#include "ttest.h"
#include "tthread.h"
#include "write.h"

namespace
{
const QString kRead = QStringLiteral("Прочитать");
const QString kWrite = QStringLiteral("Записать");
const QString kTest = QStringLiteral("Проверить");
const QString kLoad = QStringLiteral("Загрузить ПО");
const QString kAbout = QStringLiteral("О программе");

// A configuration that differs from the simulator's new record in every channel.
QByteArray boardConfig()
{
    QByteArray b = QByteArray::fromHex("0a0312700f8a3a71112540a0550c8a4180000000");
    quint8 sum = 0;
    for (int i = 0; i < 19; ++i)
        sum += quint8(b[i]);
    b[19] = char(quint8(0x5A - sum));
    return b;
}

QByteArray rec20(const TQ275 *r)
{
    return r ? QByteArray(reinterpret_cast<const char *>(r->bytes()), TQ275::Size) : QByteArray();
}

template <class T> T *child(QWidget *w, const char *name)
{
    return w ? w->findChild<T *>(QLatin1String(name)) : nullptr;
}

QString text(QWidget *w, const char *name)
{
    if (auto *l = child<QLabel>(w, name))
        return l->text();
    if (auto *b = child<QPushButton>(w, name))
        return b->text();
    return QString();
}
} // namespace

class TstOpsMain : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void readShowsConfiguration();
    void readCancelledBeforeAnswer();
    void readFailureClosesAfterFiveSeconds();
    void writeStoresConfiguration();
    void testSendsCopyOnly();
    void testTakesOpenEditorValues();
    void writeLinkFailure();
    void loadWindow();
    void loadUnreadableFile();
    void portDialog();

private:
    // Main window in the temporary folder; "Q275.ini" names the given port.
    Q275 *makeMain(const QString &port);
    QMdiSubWindow *sub(const QString &title) const;
    QWidget *win(const QString &title) const;
    int subCount() const;
    QStringList logTexts() const;
    QStringList treeTexts() const;
    bool startSim(const QStringList &args = {});

    TestSandbox *tmp = nullptr;
    Q275 *main = nullptr;
    ModalResponder *modal = nullptr;
    SimHarness *sim = nullptr;
};

void TstOpsMain::initTestCase()
{
    QCoreApplication::setOrganizationName(QStringLiteral("Veltrona"));
    QCoreApplication::setApplicationName(QStringLiteral("Terminal Q-275"));
}

void TstOpsMain::init()
{
    tmp = new TestSandbox;
    QVERIFY(tmp->isValid());
    modal = new ModalResponder(this);
}

void TstOpsMain::cleanup()
{
    if (main) {
        main->setAttribute(Qt::WA_DeleteOnClose, false);
        main->workArea()->closeAllSubWindows();
        delete main; // stops and waits for the link thread
        main = nullptr;
    }
    delete modal;
    modal = nullptr;
    delete sim;
    sim = nullptr;
    delete tmp;
    tmp = nullptr;
}

bool TstOpsMain::startSim(const QStringList &args)
{
    if (qEnvironmentVariableIsEmpty("Q275_SIM"))
        return false;
    sim = new SimHarness;
    QStringList all{QStringLiteral("--config"), QString::fromLatin1(boardConfig().toHex())};
    all << args;
    return sim->start(all);
}

Q275 *TstOpsMain::makeMain(const QString &port)
{
    QFile ini(QStringLiteral("Q275.ini"));
    if (ini.open(QIODevice::WriteOnly))
        ini.write(port.toLocal8Bit() + "\nsecond line\n");
    ini.close();
    main = new Q275;
    main->show();
    return main;
}

QMdiSubWindow *TstOpsMain::sub(const QString &title) const
{
    const auto list = main->workArea()->subWindowList();
    for (QMdiSubWindow *sw : list) {
        if (sw->windowTitle() == title)
            return sw;
    }
    return nullptr;
}

QWidget *TstOpsMain::win(const QString &title) const
{
    QMdiSubWindow *sw = sub(title);
    return sw ? sw->widget() : nullptr;
}

int TstOpsMain::subCount() const
{
    return main->workArea()->subWindowList().size();
}

QStringList TstOpsMain::logTexts() const
{
    QStringList out;
    auto *edit = main->findChild<QPlainTextEdit *>();
    const QStringList lines = edit->toPlainText().split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    for (const QString &l : lines)
        out << l.mid(11); // "hh:mm:ss-> "
    return out;
}

QStringList TstOpsMain::treeTexts() const
{
    QStringList out;
    QTreeWidget *tree = main->deviceTree();
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

#define NEED_SIM(...)                                                                              \
    do {                                                                                           \
        if (qEnvironmentVariableIsEmpty("Q275_SIM"))                                               \
            QSKIP("the simulator is not built");                                                   \
        QVERIFY2(startSim(__VA_ARGS__), qPrintable(sim->error()));                                 \
    } while (0)

void TstOpsMain::readShowsConfiguration()
{
    NEED_SIM();
    makeMain(sim->portName());
    main->read();
    main->read(); // raises the one window: no question, no second record
    QCOMPARE(subCount(), 1);
    QVERIFY(sub(kRead));
    QCOMPARE(text(win(kRead), "label"), QStringLiteral("Чтение конфигурации адаптера Q-275"));

    QWidget *w = win(kRead);
    QTRY_COMPARE_WITH_TIMEOUT(text(w, "label"), QStringLiteral("Конфигурация адаптера прочитана."),
                              10000);
    // The bar followed the last answer frame, the configuration's (length byte 25).
    QCOMPARE(child<QProgressBar>(w, "progressBar")->maximum(), 25);
    QCOMPARE(text(w, "bClose"), QStringLiteral("Закрыть"));
    QTRY_VERIFY_WITH_TIMEOUT(!sub(kRead), 3000);
    QCOMPARE(rec20(main->currentConfig()), boardConfig());
    QCOMPARE(main->statusBar()->currentMessage(), QStringLiteral("Прочитана конфигурация"));
    const QStringList log = logTexts();
    QVERIFY2(log.contains(QStringLiteral("Процесс чтения конфигурации выполнен")),
             qPrintable(log.join('|')));
    QVERIFY(log.contains(QStringLiteral("Загружена конфигурация адаптера Q-275")));
    QVERIFY(treeTexts().contains(QStringLiteral("  Вход микрофона")));
    QCOMPARE(sim->commands(), (QList<quint8>{0x79, 0x80, 0x76}));
    QCOMPARE(modal->seen.size(), 0);
}

void TstOpsMain::readCancelledBeforeAnswer()
{
    NEED_SIM({QStringLiteral("--latency"), QStringLiteral("300")});
    makeMain(sim->portName());
    main->read();
    auto *w = qobject_cast<Read *>(win(kRead));
    QVERIFY(w);
    QSignalSpy spy(w, &Read::reqClose);
    QTest::mouseClick(child<QPushButton>(w, "bClose"), Qt::LeftButton);
    QCOMPARE(spy.count(), 1);
    QCOMPARE(spy.at(0).at(0).toBool(), false);
    QVERIFY(!sub(kRead));
    QVERIFY(!main->currentConfig());

    // The task still runs to its end in the thread, and nothing takes its result.
    QTRY_VERIFY_WITH_TIMEOUT(
        logTexts().contains(QStringLiteral("Процесс чтения конфигурации выполнен")), 10000);
    QCOMPARE(sim->commands(), (QList<quint8>{0x79, 0x80, 0x76}));
    QTest::qWait(50);
    QVERIFY(!main->currentConfig());
    QVERIFY(treeTexts().isEmpty());
    QVERIFY(!logTexts().contains(QStringLiteral("Загружена конфигурация адаптера Q-275")));
}

void TstOpsMain::readFailureClosesAfterFiveSeconds()
{
    makeMain(tmp->filePath(QStringLiteral("no-such-port")));
    main->read();
    QWidget *w = win(kRead);
    QVERIFY(w);
    const QString err = QStringLiteral("Ошибка. Чтение конфигурации прервано.");
    QTRY_COMPARE_WITH_TIMEOUT(text(w, "label"), err, 5000);
    QElapsedTimer shown;
    shown.start();
    QCOMPARE(text(w, "bClose"), QStringLiteral("Закрыть"));

    // A result after the failure changes nothing.
    TQ275 late;
    std::memcpy(late.bytes(), boardConfig().constData(), TQ275::Size);
    const QByteArray before = rec20(main->currentConfig());
    emit main->linkThread()->readCfg(&late);
    QCOMPARE(rec20(main->currentConfig()), before);
    QCOMPARE(text(w, "label"), err);

    QTRY_VERIFY_WITH_TIMEOUT(!sub(kRead), 8000);
    const qint64 ms = shown.elapsed();
    QVERIFY2(ms >= 4700 && ms <= 6500, qPrintable(QString::number(ms)));
    QVERIFY(!main->currentConfig());
    QVERIFY(treeTexts().isEmpty());
}

void TstOpsMain::writeStoresConfiguration()
{
    NEED_SIM();
    makeMain(sim->portName());
    main->read();
    QTRY_VERIFY_WITH_TIMEOUT(main->currentConfig() && !sub(kRead), 10000);
    QCOMPARE(rec20(main->currentConfig()), boardConfig());

    // The board's record changes behind the terminal's back; writing puts ours back.
    const QByteArray other = SimHarness::defaultConfig();
    QVERIFY(other != boardConfig());
    QVERIFY(sim->control(QStringLiteral("config ") + QString::fromLatin1(other.toHex())));
    QCOMPARE(sim->record(QStringLiteral("config")), other);
    sim->markLog();

    main->write();
    QWidget *w = win(kWrite);
    QVERIFY(w);
    QCOMPARE(text(w, "label"), QStringLiteral("Загрузка конфигурации адаптера Q-275"));
    QTRY_COMPARE_WITH_TIMEOUT(text(w, "label"),
                              QStringLiteral("Конфигурации адаптера Q-275 записана."), 10000);
    // One request frame of 20 data bytes, written whole.
    QCOMPARE(child<QProgressBar>(w, "progressBar")->maximum(), 29);
    QCOMPARE(child<QProgressBar>(w, "progressBar")->value(), 29);
    QTRY_VERIFY_WITH_TIMEOUT(!sub(kWrite), 3000);
    QCOMPARE(main->statusBar()->currentMessage(), QStringLiteral("Записана конфигурация"));
    QCOMPARE(sim->record(QStringLiteral("config")), boardConfig());
    QCOMPARE(sim->commands(), (QList<quint8>{0x75}));
    QCOMPARE(rec20(main->currentConfig()), boardConfig());
}

void TstOpsMain::testSendsCopyOnly()
{
    NEED_SIM();
    makeMain(sim->portName());
    main->read();
    QTRY_VERIFY_WITH_TIMEOUT(main->currentConfig() && !sub(kRead), 10000);
    sim->markLog();

    main->test();
    QWidget *w = win(kTest);
    QVERIFY(w);
    QCOMPARE(text(w, "label"), QStringLiteral("Проверка конфигурации адаптера Q-275"));
    QTRY_COMPARE_WITH_TIMEOUT(
        text(w, "label"), QStringLiteral("Проверка конфигурации адаптера Q-275 выполнена."), 10000);
    QTRY_VERIFY_WITH_TIMEOUT(!sub(kTest), 3000);
    QCOMPARE(sim->commands(), (QList<quint8>{0x74}));
    QCOMPARE(sim->record(QStringLiteral("test")), boardConfig());
    QCOMPARE(rec20(main->currentConfig()), boardConfig());
    QVERIFY(logTexts().contains(QStringLiteral("Загрузка тестовой конфигурации выполнена")));
}

void TstOpsMain::testTakesOpenEditorValues()
{
    NEED_SIM();
    makeMain(sim->portName());
    main->read();
    QTRY_VERIFY_WITH_TIMEOUT(main->currentConfig() && !sub(kRead), 10000);

    const QString kMic = QStringLiteral("Вход микрофона");
    main->openWin(kMic);
    auto *ed = qobject_cast<TInpTx *>(win(kMic));
    QVERIFY(ed);
    auto *dial = child<QDial>(ed, "dialGain");
    QVERIFY(dial);
    dial->setValue(dial->value() < dial->maximum() ? dial->value() + 1 : dial->value() - 1);

    TQ275 expected = *main->currentConfig();
    ed->Store(&expected.switching, expected.mic);
    expected.updateChecksum();
    QVERIFY(rec20(&expected) != boardConfig());
    sim->markLog();

    main->test();
    QVERIFY(sub(kTest));
    // Editing on while the test runs does not change what was sent.
    dial->setValue(dial->value() < dial->maximum() ? dial->value() + 1 : dial->value() - 1);
    QTRY_VERIFY_WITH_TIMEOUT(!sub(kTest), 10000);
    QCOMPARE(sim->record(QStringLiteral("test")), rec20(&expected));
    QCOMPARE(rec20(main->currentConfig()), boardConfig());
    QVERIFY(sub(kMic));

    // A write sends the configuration itself, without the unsaved editor values.
    main->write();
    QTRY_VERIFY_WITH_TIMEOUT(!sub(kWrite), 10000);
    QCOMPARE(sim->commands(), (QList<quint8>{0x74, 0x75}));
    QCOMPARE(sim->record(QStringLiteral("config")), boardConfig());
}

void TstOpsMain::writeLinkFailure()
{
    makeMain(tmp->filePath(QStringLiteral("no-such-port")));
    main->create();
    QVERIFY(main->currentConfig());
    const QByteArray cfg = rec20(main->currentConfig());

    main->write();
    QWidget *w = win(kWrite);
    QVERIFY(w);
    QTRY_COMPARE_WITH_TIMEOUT(text(w, "label"),
                              QStringLiteral("Ошибка. Запись конфигурации прервана."), 5000);
    auto *bar = child<QProgressBar>(w, "progressBar");
    QCOMPARE(bar->maximum(), 1);
    QCOMPARE(bar->value(), 0);
    emit main->linkThread()->sendCnt(1); // a late count must not move the bar
    QCOMPARE(bar->value(), 0);
    QTest::mouseClick(child<QPushButton>(w, "bClose"), Qt::LeftButton);
    QVERIFY(!sub(kWrite));
    QCOMPARE(rec20(main->currentConfig()), cfg);
    QVERIFY(main->statusBar()->currentMessage().isEmpty());

    // The same for a test.
    main->test();
    w = win(kTest);
    QVERIFY(w);
    QTRY_COMPARE_WITH_TIMEOUT(text(w, "label"),
                              QStringLiteral("Ошибка. Загрузка конфигурации прервана."), 5000);
    bar = child<QProgressBar>(w, "progressBar");
    emit main->linkThread()->sendCnt(1);
    QCOMPARE(bar->value(), 0);
    QCOMPARE(rec20(main->currentConfig()), cfg);
}

void TstOpsMain::loadWindow()
{
    makeMain(QString());
    const QString rom = tmp->filePath(QStringLiteral("ctrl.rom"));
    QFile f(rom);
    QVERIFY(f.open(QIODevice::WriteOnly));
    QByteArray image(65536, '\0');
    for (int i = 0; i < image.size(); ++i)
        image[i] = char(i * 13);
    f.write(image);
    f.close();

    modal->answerFile(rom);
    main->load();
    QCOMPARE(modal->seen.size(), 1);
    QCOMPARE(modal->seen[0].kind, QStringLiteral("file"));
    QCOMPARE(modal->seen[0].text, QStringLiteral("Открыть файл"));
    QCOMPARE(modal->seen[0].nameFilter, QStringLiteral("ПО контроллера (*.rom);;Все файлы (*.*)"));

    auto *w = qobject_cast<Load *>(win(kLoad));
    QVERIFY(w);
    QCOMPARE(child<QProgressBar>(w, "progressBar")->maximum(), 65536);
    QCOMPARE(text(w, "label"), QStringLiteral("Запрос идентификатора устройства"));
    w->Start(3);
    QCOMPARE(text(w, "label"), QStringLiteral("Контроллер , загрузка ПО."));
    QSignalSpy spy(w, &Load::reqClose);
    QTest::mouseClick(child<QPushButton>(w, "bClose"), Qt::LeftButton);
    QCOMPARE(spy.count(), 1);
    QCOMPARE(spy.at(0).at(0).toBool(), false);
    QVERIFY(!sub(kLoad));
}

void TstOpsMain::loadUnreadableFile()
{
    makeMain(QString());
    // A folder cannot be opened as a file, whoever runs the test.
    const QString name = tmp->filePath(QStringLiteral("folder.rom"));
    QVERIFY(QDir().mkpath(name));
    modal->answerFile(name);
    main->load();
    QTRY_COMPARE(modal->seen.size(), 2);
    QCOMPARE(modal->seen[1].kind, QStringLiteral("message"));
    QCOMPARE(modal->seen[1].title, main->windowTitle());
    QCOMPARE(modal->seen[1].text,
             QStringLiteral("Файл ") + name + QStringLiteral(" не удалось открыть."));
    QCOMPARE(subCount(), 0);

    modal->answerFile(QString()); // cancelled dialog: nothing at all
    main->load();
    QCOMPARE(subCount(), 0);
}

void TstOpsMain::portDialog()
{
    NEED_SIM();
    const QString link = sim->slavePath();
    makeMain(link);
    QCOMPARE(main->currentPort(), link);

    // "Закрыть": neither the file nor the thread's port change.
    QStringList shown;
    QString selected;
    modal->answerWith([&](QWidget *d) {
        auto *box = child<QComboBox>(d, "boxPorts");
        for (int i = 0; i < box->count(); ++i)
            shown << box->itemText(i);
        selected = box->currentText();
        box->addItem(QStringLiteral("bogus"));
        box->setCurrentIndex(box->count() - 1);
        QTest::mouseClick(child<QPushButton>(d, "bClose"), Qt::LeftButton);
    });
    main->port();
    QCOMPARE(modal->seen.size(), 1);
    QCOMPARE(modal->seen[0].title, QStringLiteral("Выбор \u0421\u041e\u041c порта"));
    QCOMPARE(shown.count(link), 1);
    QCOMPARE(selected, link);
    QCOMPARE(main->currentPort(), link);
    QFile ini(QStringLiteral("Q275.ini"));
    QVERIFY(ini.open(QIODevice::ReadOnly));
    QCOMPARE(ini.readAll(), link.toLocal8Bit() + "\nsecond line\n");
    ini.close();
    // The thread still reaches the board through the old port.
    main->read();
    QTRY_VERIFY_WITH_TIMEOUT(main->currentConfig() && !sub(kRead), 10000);
    QCOMPARE(rec20(main->currentConfig()), boardConfig());

    // "Ввод": the name alone goes into the file.
    modal->answerWith(
        [](QWidget *d) { QTest::mouseClick(child<QPushButton>(d, "bSet"), Qt::LeftButton); });
    main->port();
    QVERIFY(ini.open(QIODevice::ReadOnly));
    QCOMPARE(ini.readAll(), link.toLocal8Bit());
    ini.close();
    QCOMPARE(main->currentPort(), link);
}

QTEST_MAIN(TstOpsMain)
#include "tst_opsmain.moc"
