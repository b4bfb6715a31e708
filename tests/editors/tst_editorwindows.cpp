#include <QDial>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSettings>
#include <QtTest>
#include <memory>

#include "editorprobe.h"
#include "modalresponder.h"
#include "q275.h"
#include "simharness.h"
#include "testsandbox.h"
#include "tinprx.h"
#include "tinptx.h"
#include "toutput.h"

// The editors inside the main window: the copy-back on success, the checksum that
// follows every change, and the unsaved values that a test carries and a write does not.
class TstEditorWindows : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void testSendsUnsavedValuesWriteDoesNot();
    void savedEditsSurviveModeSwitchAndFile();
    void closeDropsTheEdit();

private:
    QWidget *openEditor(const QString &kind);
    bool corruptionLogged() const;
    QList<QByteArray> framesOf(quint8 cmd) const;
    bool waitNoWindowBut(int count);

    std::unique_ptr<TestSandbox> tmp;
    std::unique_ptr<SimHarness> sim;
    std::unique_ptr<ModalResponder> modal;
    Q275 *win = nullptr;
};

void TstEditorWindows::initTestCase()
{
    QCoreApplication::setOrganizationName(QStringLiteral("Veltrona"));
    QCoreApplication::setApplicationName(QStringLiteral("Terminal Q-275"));
}

void TstEditorWindows::init()
{
    if (qEnvironmentVariableIsEmpty("Q275_SIM"))
        QSKIP("the board simulator is not built");
    tmp.reset(new TestSandbox);
    QVERIFY(tmp->isValid());
    sim.reset(new SimHarness);
    QVERIFY2(sim->start(), qPrintable(sim->error()));
    QFile ini(QStringLiteral("Q275.ini"));
    QVERIFY(ini.open(QIODevice::WriteOnly));
    ini.write(sim->portName().toUtf8() + "\n");
    ini.close();
    modal.reset(new ModalResponder);
    win = new Q275;
    win->setAttribute(Qt::WA_DeleteOnClose, false);
    win->show();
    win->create();
    QVERIFY(win->currentConfig() && win->currentConfig()->isValid());
}

void TstEditorWindows::cleanup()
{
    if (win) {
        win->workArea()->closeAllSubWindows();
        delete win;
        win = nullptr;
    }
    modal.reset();
    sim.reset();
    tmp.reset();
}

QWidget *TstEditorWindows::openEditor(const QString &kind)
{
    win->openWin(kind);
    for (QMdiSubWindow *sw : win->workArea()->subWindowList())
        if (sw->windowTitle() == kind)
            return sw->widget();
    return nullptr;
}

bool TstEditorWindows::corruptionLogged() const
{
    return win->findChild<QPlainTextEdit *>()->toPlainText().contains(
        QStringLiteral("Конфигурация адаптера Q-275 повреждена"));
}

QList<QByteArray> TstEditorWindows::framesOf(quint8 cmd) const
{
    QList<QByteArray> out;
    const QList<QByteArray> all = sim->received();
    for (const QByteArray &f : all)
        if (f.size() > 7 && quint8(f[6]) == cmd)
            out << f;
    return out;
}

bool TstEditorWindows::waitNoWindowBut(int count)
{
    return SimHarness::waitFor([&] { return win->workArea()->subWindowList().size() == count; },
                               8000);
}

void TstEditorWindows::testSendsUnsavedValuesWriteDoesNot()
{
    const TQ275 saved = *win->currentConfig();
    QWidget *ed = openEditor(QStringLiteral("Вход микрофона"));
    QVERIFY(qobject_cast<TInpTx *>(ed));
    child<QDial>(ed, "dialGain")->setValue(40);

    // The test carries the editor's unsaved gain, with its own checksum.
    TQ275 expect = saved;
    expect.mic[1] = 40;
    expect.updateChecksum();
    sim->markLog();
    win->test();
    QVERIFY(waitNoWindowBut(1));
    QCOMPARE(framesOf(0x74),
             QList<QByteArray>({SimHarness::requestFrame(
                 0x74, QByteArray(reinterpret_cast<const char *>(expect.bytes()), 20))}));
    QCOMPARE(sim->record("test"), QByteArray(reinterpret_cast<const char *>(expect.bytes()), 20));
    QCOMPARE(QByteArray(reinterpret_cast<const char *>(win->currentConfig()->bytes()), 20),
             QByteArray(reinterpret_cast<const char *>(saved.bytes()), 20));

    // A write sends the current configuration, without the unsaved gain.
    sim->markLog();
    win->write();
    QVERIFY(waitNoWindowBut(1));
    QCOMPARE(framesOf(0x75),
             QList<QByteArray>({SimHarness::requestFrame(
                 0x75, QByteArray(reinterpret_cast<const char *>(saved.bytes()), 20))}));

    // Saved in the editor, the gain is part of the configuration and of the next write.
    child<QPushButton>(ed, "bSave")->click();
    QVERIFY(waitNoWindowBut(0));
    QCOMPARE(QByteArray(reinterpret_cast<const char *>(win->currentConfig()->bytes()), 20),
             QByteArray(reinterpret_cast<const char *>(expect.bytes()), 20));
    sim->markLog();
    win->write();
    QVERIFY(waitNoWindowBut(0));
    QCOMPARE(sim->record("config"), QByteArray(reinterpret_cast<const char *>(expect.bytes()), 20));
    QVERIFY(!corruptionLogged());
}

void TstEditorWindows::savedEditsSurviveModeSwitchAndFile()
{
    QWidget *rx = openEditor(QStringLiteral("Вход приемника"));
    QVERIFY(qobject_cast<TInpRx *>(rx));
    child<QDial>(rx, "dialAtt")->setValue(7);
    child<QDial>(rx, "dialNoiseLvl")->setValue(12);
    child<QPushButton>(rx, "bSave")->click();
    QVERIFY(waitNoWindowBut(0));

    QWidget *out = openEditor(QStringLiteral("Выход адаптера"));
    QVERIFY(qobject_cast<TOutput *>(out));
    child<QDial>(out, "dialTx3")->setValue(117);
    child<QPushButton>(out, "bSave")->click();
    QVERIFY(waitNoWindowBut(0));

    TQ275 expect;
    const QByteArray def = SimHarness::defaultConfig();
    std::copy(def.constBegin(), def.constEnd(), reinterpret_cast<char *>(expect.bytes()));
    expect.rx[0] = 7;
    expect.rx[4] = 0x99;
    expect.mic[6] = 0x80 | 117;
    expect.updateChecksum();
    const QByteArray want(reinterpret_cast<const char *>(expect.bytes()), 20);
    QCOMPARE(QByteArray(reinterpret_cast<const char *>(win->currentConfig()->bytes()), 20), want);

    // A service mode switch shows the configuration again: its checksum must hold.
    modal->answerWith([](QWidget *dlg) {
        dlg->findChild<QLineEdit *>(QStringLiteral("eCode"))
            ->setText(QStringLiteral("Quill_Orchard"));
        dlg->findChild<QPushButton *>(QStringLiteral("bSet"))->click();
    });
    win->service();
    QCOMPARE(win->currentMode(), 2);
    QVERIFY(win->currentConfig());
    QVERIFY(!corruptionLogged());

    const QString path = tmp->filePath(QStringLiteral("edited.obd"));
    modal->answerFile(path);
    win->saveAs();
    QVERIFY(QFile::exists(path));
    modal->answerButton(QStringLiteral("&Да"));
    modal->answerFile(path);
    win->open();
    QVERIFY(win->currentConfig());
    QCOMPARE(QByteArray(reinterpret_cast<const char *>(win->currentConfig()->bytes()), 20), want);
    QVERIFY(!corruptionLogged());
}

void TstEditorWindows::closeDropsTheEdit()
{
    const QByteArray before(reinterpret_cast<const char *>(win->currentConfig()->bytes()), 20);
    QWidget *out = openEditor(QStringLiteral("Выход адаптера"));
    child<QDial>(out, "dialRx3")->setValue(50);
    child<QPushButton>(out, "bClose")->click();
    QVERIFY(waitNoWindowBut(0));
    QCOMPARE(QByteArray(reinterpret_cast<const char *>(win->currentConfig()->bytes()), 20), before);
    // Reopened, the editor shows the configuration, not the dropped edit.
    out = openEditor(QStringLiteral("Выход адаптера"));
    QCOMPARE(child<QLineEdit>(out, "lineRx3")->text(), QStringLiteral("0"));
}

QTEST_MAIN(TstEditorWindows)
#include "tst_editorwindows.moc"
