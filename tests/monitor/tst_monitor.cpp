// The board information window and the trace monitor, each on a link thread whose line
// leads to a scripted board behind the RIB.
#include <QtTest>
#include <QtWidgets>

#include <atomic>
#include <memory>

#include "info.h"
#include "testkit.h"
#include "tmemoryport.h"
#include "trace.h"
#include "tthread.h"

// The link thread and the board behind it. The 15 s pause after an empty trace poll lasts
// until the test releases it, so that the frames on the line can be counted exactly.
struct Line {
    std::atomic<bool> pausing{false}, released{false};
    std::shared_ptr<TMemoryPort> port = std::make_shared<TMemoryPort>();
    TThread thread;
    explicit Line(TMemoryPort::Board board)
    {
        port->setResponder(TMemoryPort::rib(std::move(board)));
        thread.setPortFactory([p = port] { return p; });
        thread.setSleepFunction([this](int ms) {
            for (pausing = ms == 15000; pausing && !released;)
                QThread::msleep(1);
        });
        thread.setPort("COM1");
    }
    ~Line() { released = true; }
};

// "77:0A, 78": request frames, each a command and its data.
static QByteArrayList frames(const QString &list)
{
    QByteArrayList out;
    for (const QString &f : list.split(", ", Qt::SkipEmptyParts))
        out << TMemoryPort::requestFrame(f.left(2).toInt(nullptr, 16), hex(qPrintable(f.mid(3))));
    return out;
}

// The board's answer: its data in hex, or "err" for the error answer.
static QByteArray answer(quint8 c, const QString &d)
{
    return TMemoryPort::answerFrame(d == "err" ? 0x73 : c, hex(d == "err" ? "01" : qPrintable(d)));
}

class TstMonitor : public QObject
{
    Q_OBJECT

    static QStringList L(const QString &list) { return list.split(", ", Qt::SkipEmptyParts); }

private slots:
    // A row: the identities the board gives on successive reads ("err": refused) | the
    // first six bytes of its board data | the mode | the edits | what the window shows
    // (a label's text, or name.property) | the 0x81 frame "Записать" then sends (none: not
    // pressed, and nothing may reach the line). $ID is the identity, $NO "Не поддерживается".
    void info_data()
    {
        QTest::addColumn<QString>("row");
        QTest::newRow("mode 1")
            << "$ID | 0700DC070305 | 1 |  | sSoft=2.15, sNum=0007, sDate=05.03.2012, "
               "sChipID=0x080, sChipRev=0x1234, sEsn=0x123456789ABCDEFFF0010, "
               "spinNum.visible=false, eData.visible=false, bSave.visible=false | ";
        QTest::newRow("mode 3, edits shown at once")
            << "$ID | 0700DC070305 | 3 | spinNum=42, eData=2013-11-09 | sNum=0042, "
               "sDate=09.11.2013, bSave.visible=true | 81:2A00DD070B09";
        QTest::newRow("number above the spin box kept")
            << "$ID | E110DC070305 | 3 | eData=2020-02-29 | spinNum=1000, sNum=4321 | "
               "81:E110E407021D";
        QTest::newRow("date that is no date kept")
            << "$ID | 0700DC070D28 | 10 | spinNum=8 | sDate=40.13.2012 | 81:0800DC070D28";
        QTest::newRow("version 0")
            << "0009008012340123456789ABCDEF0FF00010 | 0700DC070305 | 10 |  | sSoft=0.9, sNum=$NO, "
               "sDate=$NO, sChipID=$NO, sChipRev=$NO, sEsn=$NO | ";
        // The board data the thread still holds are another board's: never written back.
        QTest::newRow("refused after another board")
            << "$ID, err | 0700DC070305 | 10 | spinNum=5, eData=2015-06-01 | sSoft=0.0, sNum=0005, "
               "sEsn=$NO | 81:0500DF07060100000000000000000000000000000000";
    }
    void info()
    {
        QFETCH(QString, row);
        const QStringList f = row.replace("$ID", "020F008012340123456789ABCDEF0FF00010")
                                  .replace("$NO", "Не поддерживается")
                                  .split(" | ");
        const QString rest = "A6A7A8A9AAABACADAEAFB0B1B2B3B4B5"; // not the terminal's to read
        const QMap<int, QString> board = {{0x80, f[1] + rest}, {0x76, newRecord().toHex()}};
        QStringList idents = L(f[0]);
        Line line([&](quint8 cmd, const QByteArray &) {
            return answer(cmd, cmd == 0x79 ? idents.takeFirst() : board.value(cmd, "30"));
        });
        for (int i = L(f[0]).size(); i > 0; --i)
            line.thread.postRead();
        QVERIFY(line.thread.wait(5000));
        line.port->clearRecord();
        std::unique_ptr<Info> w(new Info(&line.thread, quint8(f[2].toInt())));
        w->show();
        for (const QString &e : L(f[3])) // spinNum=n or eData=yyyy-mm-dd
            w->findChild<QObject *>(e.section('=', 0, 0))
                ->setProperty(e.startsWith("spin") ? "value" : "date", e.section('=', 1));
        QStringList got;
        for (const QString &s : L(f[4])) { // a label's text, or "name.property"
            const QString key = s.section('=', 0, 0), prop = key.section('.', 1);
            QObject *o = w->findChild<QObject *>(key.section('.', 0, 0));
            got << key + '=' + o->property(prop.isEmpty() ? "text" : qPrintable(prop)).toString();
        }
        QCOMPARE(got, L(f[4]));
        if (!f[5].isEmpty())
            w->findChild<QPushButton *>("bSave")->click();
        QVERIFY(line.thread.wait(5000));
        QCOMPARE(line.port->writes(), frames(f[5].size() == 15 ? f[5] + rest : f[5]));
    }

    // A row: the board's answers to the polls in turn ("err": an error answer; none left: no
    // trace data) | the steps (a check box name clicks it; "idle": the board has run out of
    // records; "late": a record that was on its way arrives) | the log lines after their
    // time, newest first | the frames on the line | the run button's text (its C is Latin,
    // as the program has it).
    void trace_data()
    {
        QTest::addColumn<QString>("row");
        QTest::newRow("every channel, newest on top, stop")
            << "0001, 0102, 020F10, 03FF | chkRad, chkI2C, chkRxP, chkTxP, start, idle, stop | "
               "-> PROIS TxD=>0xFF; , -> PROIS RxD=>0x0F; 0x10; , -> I2C TxD=>0x02; , "
               "-> RAD->Q275=>0x01;  | 77:0F, 78, 78, 78, 78, 78, 77:00 | Cтарт";
        QTest::newRow("record without data, channel error")
            << "01, 071122, 0244 | chkRxP, start, idle | -> PROIS RxD=>0x44; , "
               "-> ошибка канала=7 ; n=2 | 77:04, 78, 78, 78, 78 | Cтоп";
        // Lines beyond the limit drop off the bottom ("...": the lines between).
        QTest::newRow("no channel, many records") << " | start, flood | -> I2C TxD=>0x13; 0x8A; , "
                                                     "..., -> I2C TxD=>0x00; 0x03;  | 77:00 | "
                                                     "Cтоп";
        QTest::newRow("link error") << "err | chkTxP, start |  | 77:08, 78, 77:00 | Cтарт";
        QTest::newRow("late record")
            << " | chkI2C, start, idle, stop, late |  | 77:02, 78, 77:00 | Cтарт";
        QTest::newRow("closing, tracing")
            << " | chkRxP, start, idle, close |  | 77:04, 78, 77:00 | ";
        QTest::newRow("closing idle") << " | chkRxP, close |  |  | ";
    }
    void trace()
    {
        QFETCH(QString, row);
        const QStringList f = row.split(" | ");
        QStringList polls = L(f[0]);
        Line line([&](quint8 cmd, const QByteArray &) {
            return answer(cmd, cmd != 0x78 ? "30" : polls.isEmpty() ? "" : polls.takeFirst());
        });
        QPointer<Trace> w = new Trace(nullptr, &line.thread);
        auto *run = w->findChild<QPushButton *>("bRun");
        for (const QString &step : L(f[1])) {
            if (step == "idle")
                QVERIFY(waitFor([&] { return line.pausing.load(); }, 5000));
            if (step == "close")
                delete w;
            if (step == "start" || step == "stop" || step.startsWith("chk"))
                (step.startsWith("chk") ? w->findChild<QAbstractButton *>(step) : run)->click();
            const int records = step == "late" ? 1 : step == "flood" ? Trace::MaxLines + 3 : 0;
            for (int i = 0; i < records; ++i) {
                quint8 rec[4] = {3, 1, quint8(i >> 8), quint8(i)}; // I2C, two data bytes
                emit line.thread.traceRdy(rec);
            }
            line.released = line.released || step == "stop" || step == "close";
        }
        QVERIFY(waitFor([&] { return line.port->writes().size() >= frames(f[3]).size(); }, 5000));
        QTest::qWait(50);
        QCOMPARE(line.port->writes(), frames(f[3]));
        if (!w)
            return;
        QStringList got =
            w->findChild<QTextEdit *>("textLog")->toPlainText().split('\n', Qt::SkipEmptyParts);
        got.replaceInStrings(QRegularExpression("^\\d\\d:\\d\\d:\\d\\d"), "");
        if (got.size() == Trace::MaxLines)
            got = QStringList{got.first(), "...", got.last()};
        QCOMPARE(got, L(f[2]));
        QCOMPARE(run->text(), f[4]);
        QCOMPARE(w->findChild<QGroupBox *>("boxCh")->isEnabled(), f[4] != "Cтоп");
        delete w;
    }
};

QTEST_MAIN(TstMonitor)
#include "tst_monitor.moc"
