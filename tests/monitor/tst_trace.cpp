// Trace monitor at window level: button states, the channel mask and the decoding
// of trace records. The records are emitted at the window through the thread's
// own signals; the thread is stopped, so the posted tasks never run.
#include <QCheckBox>
#include <QGroupBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTextEdit>
#include <QTime>
#include <QtTest>

#include <vector>

#include "trace.h"
#include "tthread.h"

static const QString stopText = QStringLiteral("C") + QStringLiteral("топ");   // Latin C
static const QString startText = QStringLiteral("C") + QStringLiteral("тарт"); // Latin C

class TstTrace : public QObject
{
    Q_OBJECT

    TThread *thread = nullptr;

    static QPushButton *button(Trace &w, const char *name)
    {
        return w.findChild<QPushButton *>(name);
    }
    static QStringList lines(Trace &w)
    {
        QStringList all =
            w.findChild<QTextEdit *>("textLog")->toPlainText().split(QLatin1Char('\n'));
        while (!all.isEmpty() && all.last().isEmpty())
            all.removeLast();
        return all;
    }
    // Sends one record as the thread does: byte 0 = count, then channel and data.
    void send(std::vector<quint8> rec)
    {
        rec.resize(256, 0xEE); // the rest of the thread's buffer
        emit thread->traceRdy(rec.data());
    }

private slots:
    void initTestCase()
    {
        thread = new TThread;
        thread->requestStop();
    }
    void cleanupTestCase() { delete thread; }

    void initialState()
    {
        QWidget parent;
        Trace w(&parent, thread);
        QCOMPARE(w.parentWidget(), &parent);
        QVERIFY(!w.testAttribute(Qt::WA_DeleteOnClose));
        QCOMPARE(w.windowTitle(), QStringLiteral("Trace"));
        QCOMPARE(w.minimumSize(), QSize(400, 350));
        QCOMPARE(w.channelMask(), quint8(0));
        QPushButton *run = button(w, "bRun");
        QVERIFY(run->isCheckable());
        QVERIFY(!run->isChecked());
        QVERIFY(run->isEnabled());
        QCOMPARE(run->text(), QStringLiteral("Старт"));
        QCOMPARE(run->text().at(0).unicode(), ushort(0x0421)); // the form's text is all Cyrillic
        QCOMPARE(run->size(), QSize(75, 23));
        QCOMPARE(button(w, "bReset")->text(), QStringLiteral("Сброс"));
        QCOMPARE(button(w, "bClose")->text(), QStringLiteral("Закрыть"));
        auto *box = w.findChild<QGroupBox *>("boxCh");
        QCOMPARE(box->title(), QStringLiteral("Каналы"));
        QVERIFY(box->isEnabled());
        const QStringList names = {"chkRad", "chkI2C", "chkRxP", "chkTxP"};
        const QStringList texts = {"SPI Rx", "I2C Tx", "Prois Rx", "Prois Tx"};
        for (int i = 0; i < 4; ++i) {
            auto *chk = w.findChild<QCheckBox *>(names[i]);
            QVERIFY(chk);
            QCOMPARE(chk->text(), texts[i]);
            QVERIFY(!chk->isChecked());
        }
        auto *log = w.findChild<QTextEdit *>("textLog");
        QVERIFY(log->isReadOnly());
        QVERIFY(!log->isUndoRedoEnabled());
    }

    void channelMask()
    {
        QWidget parent;
        Trace w(&parent, thread);
        const char *names[] = {"chkRad", "chkI2C", "chkRxP", "chkTxP"};
        quint8 want = 0;
        for (int i = 0; i < 4; ++i) {
            w.findChild<QCheckBox *>(names[i])->setChecked(true);
            want |= quint8(1 << i);
            QCOMPARE(w.channelMask(), want);
        }
        w.findChild<QCheckBox *>("chkI2C")->setChecked(false);
        QCOMPARE(w.channelMask(), quint8(0x0D));
        w.findChild<QCheckBox *>("chkRad")->setChecked(false);
        QCOMPARE(w.channelMask(), quint8(0x0C));
    }

    void startStop()
    {
        QWidget parent;
        Trace w(&parent, thread);
        QPushButton *run = button(w, "bRun");
        auto *box = w.findChild<QGroupBox *>("boxCh");
        run->click();
        QVERIFY(run->isChecked());
        QCOMPARE(run->text(), stopText);
        QCOMPARE(run->text().at(0).unicode(), ushort('C'));
        QVERIFY(!box->isEnabled());
        run->click();
        QVERIFY(!run->isChecked());
        QCOMPARE(run->text(), startText);
        QCOMPARE(run->text().at(0).unicode(), ushort('C'));
        QVERIFY(box->isEnabled());
    }

    void errorReturnsToIdle()
    {
        QWidget parent;
        Trace w(&parent, thread);
        QPushButton *run = button(w, "bRun");
        run->click();
        emit thread->traceErr();
        QVERIFY(!run->isChecked());
        QCOMPARE(run->text(), startText);
        QVERIFY(w.findChild<QGroupBox *>("boxCh")->isEnabled());
        // A second error (the failed switch-off) finds the window idle.
        emit thread->traceErr();
        QVERIFY(!run->isChecked());
        QCOMPARE(run->text(), startText);
    }

    void lineFormat()
    {
        QWidget parent;
        Trace w(&parent, thread);
        button(w, "bRun")->click();
        const QTime before = QTime::currentTime();
        send({3, 1, 0x0A, 0xFF});
        const QTime after = QTime::currentTime();
        const QStringList got = lines(w);
        QCOMPARE(got.size(), 1);
        static const QRegularExpression re(
            QStringLiteral("^(\\d\\d:\\d\\d:\\d\\d)-> I2C TxD=>0x0A; 0xFF; $"));
        const QRegularExpressionMatch m = re.match(got[0]);
        QVERIFY2(m.hasMatch(), qPrintable(got[0]));
        const QTime stamp = QTime::fromString(m.captured(1), QStringLiteral("HH:mm:ss"));
        QVERIFY(stamp.isValid());
        QVERIFY(stamp >= before.addMSecs(-before.msec()) && stamp <= after);
    }

    void channels_data()
    {
        QTest::addColumn<int>("channel");
        QTest::addColumn<QString>("prefix");
        QTest::newRow("0") << 0 << "RAD->Q275=>";
        QTest::newRow("1") << 1 << "I2C TxD=>";
        QTest::newRow("2") << 2 << "PROIS RxD=>";
        QTest::newRow("3") << 3 << "PROIS TxD=>";
    }
    void channels()
    {
        QFETCH(int, channel);
        QFETCH(QString, prefix);
        QWidget parent;
        Trace w(&parent, thread);
        button(w, "bRun")->click();
        send({4, quint8(channel), 0x05, 0xA0, 0x00});
        const QStringList got = lines(w);
        QCOMPARE(got.size(), 1);
        QCOMPARE(got[0].mid(8), "-> " + prefix + "0x05; 0xA0; 0x00; ");
    }

    void newestFirst()
    {
        QWidget parent;
        Trace w(&parent, thread);
        button(w, "bRun")->click();
        send({2, 0, 0x01});
        send({2, 3, 0x02});
        send({2, 2, 0x03});
        const QStringList got = lines(w);
        QCOMPARE(got.size(), 3);
        QVERIFY(got[0].endsWith("PROIS RxD=>0x03; "));
        QVERIFY(got[1].endsWith("PROIS TxD=>0x02; "));
        QVERIFY(got[2].endsWith("RAD->Q275=>0x01; "));
        button(w, "bReset")->click();
        QCOMPARE(w.findChild<QTextEdit *>("textLog")->toPlainText(), QString());
    }

    void oldestLinesDropOff()
    {
        QWidget parent;
        Trace w(&parent, thread);
        button(w, "bRun")->click();
        for (int i = 0; i < Trace::MaxLines + 3; ++i)
            send({3, 1, quint8(i >> 8), quint8(i)});
        const QStringList got = lines(w);
        QCOMPARE(got.size(), int(Trace::MaxLines));
        const int last = Trace::MaxLines + 2;
        QVERIFY2(got.first().endsWith(QStringLiteral("I2C TxD=>0x%1; 0x%2; ")
                                          .arg(last >> 8, 2, 16, QLatin1Char('0'))
                                          .arg(last & 0xFF, 2, 16, QLatin1Char('0'))
                                          .toUpper()
                                          .replace("0X", "0x")
                                          .replace("TXD", "TxD")),
                 qPrintable(got.first()));
        QVERIFY2(got.last().endsWith(QStringLiteral("I2C TxD=>0x00; 0x03; ")),
                 qPrintable(got.last()));
    }

    void recordsWithoutData()
    {
        QWidget parent;
        Trace w(&parent, thread);
        button(w, "bRun")->click();
        send({1, 1});
        send({0});
        QCOMPARE(w.findChild<QTextEdit *>("textLog")->toPlainText(), QString());
    }

    void channelError()
    {
        QWidget parent;
        Trace w(&parent, thread);
        button(w, "bRun")->click();
        send({3, 7, 0x11, 0x22});
        send({62, 200});
        const QStringList got = lines(w);
        QCOMPARE(got.size(), 2);
        QCOMPARE(got[1].mid(8), QStringLiteral("-> ошибка канала=7 ; n=2"));
        QCOMPARE(got[0].mid(8), QStringLiteral("-> ошибка канала=200 ; n=61"));
    }

    void longestRecord()
    {
        QWidget parent;
        Trace w(&parent, thread);
        button(w, "bRun")->click();
        std::vector<quint8> rec = {62, 0};
        QString want = "-> RAD->Q275=>";
        for (int i = 0; i < 61; ++i) {
            rec.push_back(quint8(i * 4));
            want += QString::asprintf("0x%02X; ", i * 4);
        }
        send(rec);
        QCOMPARE(lines(w).value(0).mid(8), want);
    }

    void droppedWhenStopped()
    {
        QWidget parent;
        Trace w(&parent, thread);
        send({3, 1, 0x0A, 0xFF}); // never started
        QPushButton *run = button(w, "bRun");
        run->click();
        run->click();
        send({3, 1, 0x0A, 0xFF}); // after stop
        QCOMPARE(w.findChild<QTextEdit *>("textLog")->toPlainText(), QString());
    }

    void quitAsksToCloseWithoutResult()
    {
        QWidget parent;
        Trace w(&parent, thread);
        QSignalSpy spy(&w, &Trace::reqClose);
        button(w, "bClose")->click();
        QCOMPARE(spy.count(), 1);
        QCOMPARE(spy.at(0).at(0).toBool(), false);
    }

    void closedWindowIgnoresThread()
    {
        auto *w = new Trace(nullptr, thread);
        button(*w, "bRun")->click();
        delete w;
        // No window left to reach: these must not crash.
        emit thread->traceErr();
        send({3, 1, 0x0A, 0xFF});
    }
};

QTEST_MAIN(TstTrace)
#include "tst_trace.moc"
