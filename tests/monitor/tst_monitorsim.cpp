// The trace monitor and the information window against the board simulator: the
// frames they cause on the line, what they show, and what the board ends up holding.
#include <QCheckBox>
#include <QDateEdit>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTextEdit>
#include <QtTest>

#include <memory>

#include "info.h"
#include "simharness.h"
#include "trace.h"
#include "tthread.h"

static const QString startText = QStringLiteral("C") + QStringLiteral("тарт"); // Latin C
static const QString stopText = QStringLiteral("C") + QStringLiteral("топ");   // Latin C

static const QByteArray identHex = "020F008012340123456789ABCDEF0FF00010";
// Number 7, 5 March 2012, then 16 bytes the terminal does not interpret.
static const QByteArray infoHex = "0700DC070305A1A2A3A4A5A6A7A8A9AAABACADAEAFB0";

class TstMonitorSim : public QObject
{
    Q_OBJECT

    std::unique_ptr<SimHarness> sim;
    std::unique_ptr<TThread> thread;
    QWidget parent;

    bool startSim(QStringList args = {})
    {
        sim.reset(new SimHarness);
        args << "--trace-rate"
             << "0";
        if (!sim->start(args)) {
            qWarning("%s", qPrintable(sim->error()));
            return false;
        }
        thread.reset(new TThread);
        // Short pauses: the link's retries and the wait after an empty trace poll.
        thread->setSleepFunction([](int ms) { QThread::msleep(ms >= 15000 ? 60 : 5); });
        thread->setPort(sim->portName());
        thread->setMode(1);
        return true;
    }

    static QStringList lines(Trace &w)
    {
        QStringList all =
            w.findChild<QTextEdit *>("textLog")->toPlainText().split(QLatin1Char('\n'));
        while (!all.isEmpty() && all.last().isEmpty())
            all.removeLast();
        return all;
    }
    static QPushButton *run(Trace &w) { return w.findChild<QPushButton *>("bRun"); }
    static int count(const QList<quint8> &cmds, quint8 cmd) { return int(cmds.count(cmd)); }
    static QString label(Info &w, const char *name) { return w.findChild<QLabel *>(name)->text(); }

    bool waitIdle()
    {
        return SimHarness::waitFor([&] { return thread->isFinished() || !thread->isRunning(); },
                                   5000);
    }

    bool readBoard()
    {
        QSignalSpy done(thread.get(), &TThread::readCfg);
        thread->postRead();
        return done.wait(5000);
    }

private slots:
    void init() { QVERIFY(startSim()); }
    void cleanup()
    {
        thread.reset(); // stops and waits for the worker
        sim.reset();
    }

    void startShowsLinesNewestFirst()
    {
        Trace w(&parent, thread.get());
        w.findChild<QCheckBox *>("chkI2C")->setChecked(true);
        w.findChild<QCheckBox *>("chkTxP")->setChecked(true);
        QVERIFY(sim->control("trace 01 0A FF"));
        QVERIFY(sim->control("trace 03 05 A0"));
        sim->markLog();
        run(w)->click();
        QCOMPARE(run(w)->text(), stopText);
        QVERIFY(SimHarness::waitFor([&] { return lines(w).size() == 2; }, 5000));
        const QStringList got = lines(w);
        static const QRegularExpression stamp(QStringLiteral("^\\d\\d:\\d\\d:\\d\\d-> "));
        for (const QString &l : got)
            QVERIFY2(stamp.match(l).hasMatch(), qPrintable(l));
        QCOMPARE(got[0].mid(8), QStringLiteral("-> PROIS TxD=>0x05; 0xA0; "));
        QCOMPARE(got[1].mid(8), QStringLiteral("-> I2C TxD=>0x0A; 0xFF; "));

        // The switch goes out first with the mask, then the polls follow.
        const QList<QByteArray> frames = sim->received();
        QVERIFY(frames.size() >= 3);
        QCOMPARE(frames[0], SimHarness::requestFrame(0x77, QByteArray(1, '\x0A')));
        QCOMPARE(frames[1], SimHarness::requestFrame(0x78));
        QCOMPARE(frames[2], SimHarness::requestFrame(0x78));
        QCOMPARE(sim->record("trace"), QByteArray(1, '\x0A'));
        // After the second record the window asks for the next one.
        QVERIFY(SimHarness::waitFor([&] { return count(sim->commands(), 0x78) >= 3; }, 3000));

        run(w)->click();
        QCOMPARE(run(w)->text(), startText);
        QVERIFY(
            SimHarness::waitFor([&] { return sim->record("trace") == QByteArray(1, '\0'); }, 3000));
        QVERIFY(waitIdle());
        // Switched off: no poll after the switch.
        const QList<quint8> cmds = sim->commands();
        QCOMPARE(cmds.last(), quint8(0x77));
        QCOMPARE(sim->received().last(), SimHarness::requestFrame(0x77, QByteArray(1, '\0')));
        QTest::qWait(200);
        QCOMPARE(sim->commands(), cmds);
    }

    void startWithoutChannels()
    {
        Trace w(&parent, thread.get());
        QVERIFY(sim->control("trace 01 0A FF"));
        sim->markLog();
        run(w)->click();
        QCOMPARE(run(w)->text(), stopText);
        QVERIFY(SimHarness::waitFor([&] { return !sim->received().isEmpty(); }, 3000));
        QVERIFY(waitIdle());
        QTest::qWait(200);
        QCOMPARE(sim->received(),
                 (QList<QByteArray>{SimHarness::requestFrame(0x77, QByteArray(1, '\0'))}));
        QVERIFY(lines(w).isEmpty());
        QVERIFY(run(w)->isChecked());
    }

    void recordWithoutDataPollsAgain()
    {
        Trace w(&parent, thread.get());
        w.findChild<QCheckBox *>("chkRad")->setChecked(true);
        // Only the window's poll after the first record can fetch the second.
        QVERIFY(sim->control("trace 01"));
        QVERIFY(sim->control("trace 00 33"));
        run(w)->click();
        QVERIFY(SimHarness::waitFor([&] { return !lines(w).isEmpty(); }, 5000));
        const QStringList got = lines(w);
        QCOMPARE(got.size(), 1);
        QCOMPARE(got[0].mid(8), QStringLiteral("-> RAD->Q275=>0x33; "));
    }

    void channelErrorLine()
    {
        Trace w(&parent, thread.get());
        w.findChild<QCheckBox *>("chkRxP")->setChecked(true);
        QVERIFY(sim->control("trace 07 11 22"));
        QVERIFY(sim->control("trace 02 44"));
        run(w)->click();
        QVERIFY(SimHarness::waitFor([&] { return lines(w).size() == 2; }, 5000));
        const QStringList got = lines(w);
        QCOMPARE(got[0].mid(8), QStringLiteral("-> PROIS RxD=>0x44; "));
        QCOMPARE(got[1].mid(8), QStringLiteral("-> ошибка канала=7 ; n=2"));
    }

    void recordAfterStopIsDropped()
    {
        Trace w(&parent, thread.get());
        w.findChild<QCheckBox *>("chkI2C")->setChecked(true);
        run(w)->click();
        QVERIFY(SimHarness::waitFor([&] { return count(sim->commands(), 0x78) >= 1; }, 3000));
        // A slow board: the record below is on its way while the technician stops.
        QVERIFY(sim->control("latency 400"));
        QVERIFY(sim->control("trace 01 0A FF"));
        // The first poll the board takes after the record was queued carries it.
        int queued = -1;
        const QList<SimHarness::Entry> before = sim->log();
        for (int i = 0; i < before.size(); ++i)
            if (before[i].dir == "ctl" && before[i].text.contains("trace"))
                queued = i;
        QVERIFY(queued >= 0);
        int carrying = -1;
        QVERIFY(SimHarness::waitFor(
            [&] {
                const QList<SimHarness::Entry> l = sim->log();
                for (int i = queued + 1; i < l.size(); ++i)
                    if (l[i].dir == "rx" && l[i].kind == "req" && l[i].bytes.size() > 6 &&
                        quint8(l[i].bytes[6]) == 0x78) {
                        carrying = i;
                        return true;
                    }
                return false;
            },
            3000));
        run(w)->click();
        QVERIFY(SimHarness::waitFor([&] { return count(sim->commands(), 0x77) >= 1; }, 3000));
        QVERIFY(
            SimHarness::waitFor([&] { return sim->record("trace") == QByteArray(1, '\0'); }, 3000));
        QVERIFY(waitIdle());
        QTest::qWait(200);
        QVERIFY(lines(w).isEmpty());
        // The answer carried the record, and only the switch followed it.
        const QList<SimHarness::Entry> after = sim->log();
        QList<quint8> cmds;
        bool carried = false;
        for (int i = carrying; i < after.size(); ++i) {
            if (after[i].dir == "rx" && after[i].kind == "req" && after[i].bytes.size() > 6)
                cmds.append(quint8(after[i].bytes[6]));
            if (after[i].dir == "tx" && after[i].kind == "ans" && cmds.size() == 1)
                carried = after[i].bytes.contains(QByteArray::fromHex("010AFF"));
        }
        QVERIFY(carried);
        QCOMPARE(cmds, (QList<quint8>{0x78, 0x77}));
        QCOMPARE(run(w)->text(), startText);
    }

    void linkErrorReturnsToStart()
    {
        Trace w(&parent, thread.get());
        w.findChild<QCheckBox *>("chkTxP")->setChecked(true);
        QVERIFY(sim->fault("error,cmd=78"));
        sim->markLog();
        run(w)->click();
        QVERIFY(SimHarness::waitFor([&] { return !run(w)->isChecked(); }, 5000));
        QCOMPARE(run(w)->text(), startText);
        QVERIFY(w.findChild<QGroupBox *>("boxCh")->isEnabled());
        // Unchecking switched the trace off in the board.
        QVERIFY(
            SimHarness::waitFor([&] { return sim->record("trace") == QByteArray(1, '\0'); }, 3000));
        QVERIFY(waitIdle());
        QCOMPARE(sim->commands(), (QList<quint8>{0x77, 0x78, 0x77}));
        QCOMPARE(sim->received().last(), SimHarness::requestFrame(0x77, QByteArray(1, '\0')));
    }

    void closingWhileTracingSwitchesOff()
    {
        auto *w = new Trace(&parent, thread.get());
        w->findChild<QCheckBox *>("chkRxP")->setChecked(true);
        sim->markLog();
        run(*w)->click();
        QVERIFY(SimHarness::waitFor([&] { return sim->record("trace") == QByteArray(1, '\x04'); },
                                    3000));
        delete w;
        QVERIFY(
            SimHarness::waitFor([&] { return sim->record("trace") == QByteArray(1, '\0'); }, 3000));
        QVERIFY(waitIdle());
        QCOMPARE(sim->received().last(), SimHarness::requestFrame(0x77, QByteArray(1, '\0')));
    }

    void saveWritesNumberAndDate()
    {
        QVERIFY(sim->control("ident " + identHex));
        QVERIFY(sim->control("info " + infoHex));
        QVERIFY(readBoard());
        QVERIFY(waitIdle());
        auto *w = new Info(thread.get(), 10);
        QCOMPARE(label(*w, "sSoft"), QStringLiteral("2.15"));
        QCOMPARE(label(*w, "sNum"), QStringLiteral("0007"));
        QCOMPARE(label(*w, "sDate"), QStringLiteral("05.03.2012"));
        QCOMPARE(label(*w, "sChipID"), QStringLiteral("0x080"));
        QCOMPARE(label(*w, "sEsn"), QStringLiteral("0x123456789ABCDEFFF0010"));
        w->findChild<QSpinBox *>("spinNum")->setValue(42);
        QCOMPARE(label(*w, "sNum"), QStringLiteral("0042"));
        w->findChild<QDateEdit *>("eData")->setDate(QDate(2013, 11, 9));
        QCOMPARE(label(*w, "sDate"), QStringLiteral("09.11.2013"));
        QSignalSpy log(thread.get(), &TThread::mes);
        sim->markLog();
        w->findChild<QPushButton *>("bSave")->click();
        const QByteArray want =
            QByteArray::fromHex("2A00DD070B09") + QByteArray::fromHex(infoHex).mid(6);
        QVERIFY(SimHarness::waitFor([&] { return sim->record("info") == want; }, 5000));
        QVERIFY(SimHarness::waitFor(
            [&] {
                for (const QList<QVariant> &args : log)
                    if (args.at(0).toString() ==
                        QStringLiteral("Процесс загрузки информации выполнен"))
                        return true;
                return false;
            },
            3000));
        QCOMPARE(sim->received(), (QList<QByteArray>{SimHarness::requestFrame(0x81, want)}));
        delete w;

        // A window opened afterwards shows what was written, without a new read.
        Info again(thread.get(), 1);
        QCOMPARE(label(again, "sNum"), QStringLiteral("0042"));
        QCOMPARE(label(again, "sDate"), QStringLiteral("09.11.2013"));
    }

    void saveKeepsNumberAboveSpinRange()
    {
        QByteArray info = QByteArray::fromHex(infoHex);
        info[0] = char(0xE1); // 4321
        info[1] = char(0x10);
        QVERIFY(sim->control("ident " + identHex));
        QVERIFY(sim->control("info " + info.toHex()));
        QVERIFY(readBoard());
        Info w(thread.get(), 3);
        QCOMPARE(label(w, "sNum"), QStringLiteral("4321"));
        w.findChild<QDateEdit *>("eData")->setDate(QDate(2020, 2, 29));
        w.Save();
        QByteArray want = info;
        want.replace(2, 4, QByteArray::fromHex("E407021D"));
        QVERIFY(SimHarness::waitFor([&] { return sim->record("info") == want; }, 5000));
    }

    void boardWithoutIdentity()
    {
        QVERIFY(sim->control("info " + infoHex));
        QVERIFY(sim->control("identity off"));
        QVERIFY(readBoard());
        Info w(thread.get(), 10);
        QCOMPARE(label(w, "sSoft"), QStringLiteral("0.0"));
        for (const char *name : {"sNum", "sDate", "sChipID", "sChipRev", "sEsn"})
            QCOMPARE(label(w, name), QStringLiteral("Не поддерживается"));
        QVERIFY(w.findChild<QPushButton *>("bSave")->isVisibleTo(&w));
    }
};

QTEST_MAIN(TstMonitorSim)
#include "tst_monitorsim.moc"
