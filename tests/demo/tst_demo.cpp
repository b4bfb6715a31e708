// The demo board behind the port name "DEMO": through the link thread as the terminal runs
// it, through q275-cli, and in the port dialog. Each case has a sandbox of its own, with the
// board's state file in it, so that the board starts as new.
#include <QtTest>
#include <QtWidgets>

#include "dialogs/tport.h"
#include "link/tdemoport.h"
#include "link/tthread.h"
#include "linkrecorder.h"
#include "linktexts.h"
#include "testkit.h"
#include "testsandbox.h"

using namespace LinkText;
using Post = std::function<void(TThread &)>;

namespace
{
// The simulator's default board, which the demo board is: software 1.3, serial number 275
// made on 15.03.2011.
const QByteArray ident = hex("0103008000033A001F000D51333032383934");
const QByteArray info = hex("1301DB07030F513237352D53494D000000000000A55A");

// A task on a new demo board, and what comes of it.
struct DemoCase {
    Post post{};
    QStringList outcome{};                  // the signals and lines, without the progress
    QByteArray records = QByteArray(40, 0); // the identity and board data the thread keeps
};
} // namespace
Q_DECLARE_METATYPE(DemoCase)

class TstDemo : public QObject
{
    Q_OBJECT

    std::unique_ptr<TestSandbox> box;

    // One run of the program: its link thread on "DEMO", and what the thread said.
    struct Run {
        TThread thread;
        LinkRecorder rec{&thread, Qt::DirectConnection};
        Run() { thread.setPort("DEMO"); }
        bool post(const Post &p)
        {
            p(thread);
            return thread.wait(10000);
        }
    };
    static QByteArray state()
    {
        QFile file(TDemoPort::statePath());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    static void read(TThread &t) { t.postRead(); }
    static void write(TThread &t) { t.postSave(u8(otherRecord()), 20); }

private slots:
    void init() { box.reset(), box.reset(new TestSandbox); }

    // A configuration written in one run of the program is read back in the next, from the
    // state file in the simulator's format.
    void writtenIsReadBack()
    {
        {
            Run first;
            QVERIFY(first.post(read) && first.post(write));
            QCOMPARE(first.rec.outcome(), (QStringList{"readCfg " + newRecord().toHex(),
                                                       mes(readDone), "saveStp", mes(saveDone)}));
        }
        QVERIFY(state().contains("\nconfig=" + otherRecord().toHex().toUpper() + "\n"));
        Run second;
        QVERIFY(second.post(read));
        QCOMPARE(second.rec.outcome(),
                 (QStringList{"readCfg " + otherRecord().toHex(), mes(readDone)}));
    }

    // The board answers as a real one does, with the same lines.
    void tasks_data()
    {
        QTest::addColumn<DemoCase>("c");
        const auto add = [](const char *row, const DemoCase &c) { QTest::newRow(row) << c; };
        add("test", {.post = [](TThread &t) { t.postTest(u8(otherRecord()), 20); },
                     .outcome = {"testStp", mes(testDone)}});
        add("identity", {.post = [](TThread &t) { t.postIdent(); }, .records = ident + info});
        add("trace", {.post = [](TThread &t) { t.postTrace(1); }, .outcome = {"traceRdy 020000"}});
        add("codec", {.post = [](TThread &t) { t.postCodec(u8(hex("1678")), 1); },
                      .outcome = {mes(codecDone)}});
    }
    void tasks()
    {
        QFETCH(DemoCase, c);
        Run run;
        QVERIFY(run.post(c.post));
        QCOMPARE(run.rec.outcome(), c.outcome);
        QCOMPARE(boardRecords(run.thread).toHex(), c.records.toHex());
    }

    // A program that closes while the board may trace tells it to stop (the board's state
    // says so), after its worker has ended.
    void closingSwitchesTraceOff()
    {
        {
            Run run;
            QVERIFY(run.post([](TThread &t) { t.postTrace(1); }));
            QVERIFY(state().contains("\ntrace=01\n"));
        }
        QVERIFY(state().contains("\ntrace=00\n"));
    }

    // A write the board cannot keep is refused, and the board keeps what it had.
    void unkeptWriteRefused()
    {
        QVERIFY(QDir().mkpath(TDemoPort::statePath())); // a folder where the file should be
        Run run;
        QVERIFY(run.post(write) && run.post(read));
        QCOMPARE(run.rec.outcome(), (QStringList{"saveErr", mes(status2),
                                                 "readCfg " + newRecord().toHex(), mes(readDone)}));
    }

    // q275-cli takes the same board, from the same state file.
    void cliInfo()
    {
        QVERIFY(QDir().mkpath(QFileInfo(TDemoPort::statePath()).path()));
        QFile state(TDemoPort::statePath());
        QVERIFY(state.open(QIODevice::WriteOnly) &&
                state.write("info=2A00DC070305" + info.mid(6).toHex() + "\n") > 0);
        state.close();
        QProcess cli;
        cli.start(qEnvironmentVariable("Q275_CLI"), {"info", "-p", "DEMO", "-q"});
        QVERIFY(cli.waitForFinished(30000));
        QCOMPARE(cli.exitCode(), 0);
        QCOMPARE(cli.readAllStandardError(), QByteArray());
        QCOMPARE(
            QString::fromUtf8(cli.readAllStandardOutput()).remove('\r'),
            "Модель: Q-275\nВерсия ПО: 1.3\nСер. номер: 0042\nДата: 05.03.2012\n"
            "Процессор ID: 0x080\nПроцессор REV: 0x03\nПроцессор S/N: 0x3A01F0D51333032383934\n");
    }

    // The port dialog always offers the demo board, last, and preselects it when it is the port.
    void portDialog()
    {
        for (const QString &current : {QString(), QString("DEMO")}) {
            TPort dialog(nullptr, current);
            const auto *ports = dialog.findChild<QComboBox *>("boxPorts");
            QCOMPARE(ports->itemText(ports->count() - 1), QString("DEMO"));
            QCOMPARE(ports->currentIndex(), current.isEmpty() ? 0 : ports->count() - 1);
        }
    }
};

QTEST_MAIN(TstDemo)
#include "tst_demo.moc"
