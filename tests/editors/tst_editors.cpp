// The three channel editors: what they show for a record and store back, their defaults,
// enable rules and the window for a board without identity, and live control as it
// reaches the line.
#include <QtTest>
#include <QtWidgets>

#include <memory>

#include "testkit.h"
#include "tinprx.h"
#include "tinptx.h"
#include "tmemoryport.h"
#include "toutput.h"
#include "tthread.h"

class TstEditors : public QObject
{
    Q_OBJECT

    enum Kind { Mic, Rx, Out };
    // A record written as "switching rx-block mic-block" in hex (1 + 8 + 8 bytes); the last
    // three bytes are not the editors' and must come back as they are.
    static QByteArray R(const QString &text) { return hex(qPrintable(text)) + hex("5AA53C"); }
    static QStringList L(const QString &list) { return list.split(", ", Qt::SkipEmptyParts); }
    // "0x84:2E" is a channel control frame; "18=FF 16=96" one codec frame with its pairs
    // (register in decimal, value in hex).
    static QString frame(const QString &text)
    {
        if (text.startsWith("0x"))
            return TMemoryPort::requestFrame(text.mid(2, 2).toInt(nullptr, 16),
                                             hex(qPrintable(text.mid(5))))
                .toHex(' ');
        QByteArray data(1, 0);
        for (const QString &pair : text.split(' ')) {
            data += char(pair.section('=', 0, 0).toInt());
            data += char(pair.section('=', 1).toInt(nullptr, 16));
            ++data[0];
        }
        return TMemoryPort::requestFrame(0x82, data).toHex(' ');
    }

    // The board behind the RIB: it tells its identity on a read and accepts every setting.
    TThread thread;
    std::shared_ptr<TMemoryPort> port = std::make_shared<TMemoryPort>();
    TThread unread; // a terminal that has read no board: no identity

    TEditor *open(int kind, TQ275 &r, bool identity, int mode = 1)
    {
        TThread *t = identity ? &thread : &unread;
        if (kind == Mic)
            return new TInpTx(t, &r, r.mic, mode);
        if (kind == Rx)
            return new TInpRx(t, &r, r.rx, mode);
        return new TOutput(t, r.rx + 6, r.mic + 6, mode);
    }
    static TQ275 record(const QByteArray &b) { return *reinterpret_cast<const TQ275 *>(b.data()); }

    // One user step: "." lets the 250 ms run out and the changes go; "p" waits 100 ms;
    // "=record" puts a record into the bytes and fills the window again; "name=value" sets
    // a dial, spin box, button or group box; "name" clicks a button.
    static void act(QPointer<TEditor> ed, TQ275 &r, const QString &step)
    {
        if (step == ".") {
            QTest::qWait(TEditor::LiveDelay);
            QVERIFY(waitFor([&] { return !ed || ed->dirtyMask() == 0; }, 3000));
        } else if (step == "p") {
            QTest::qWait(100);
        } else if (step.startsWith('=')) {
            r = record(R(step.mid(1)));
            ed->Fill();
        } else {
            QObject *o = ed->findChild<QObject *>(step.section('=', 0, 0));
            QVERIFY2(o, qPrintable(step));
            if (!step.contains('='))
                qobject_cast<QAbstractButton *>(o)->click();
            else
                o->setProperty(o->property("value").isValid() ? "value" : "checked",
                               step.section('=', 1));
        }
    }
    // "name" reads a control's value, check state or text; "name.property" that property;
    // "enabled" lists the groups of the amplifier rules that can be used.
    static QString state(QObject *root, const QString &key)
    {
        QStringList on;
        for (const char *name :
             {"boxLine1", "boxAtt", "boxGain", "checkClip", "boxAgcLvl", "boxAgcGain", "tabAgc"})
            if (auto *w = root->findChild<QWidget *>(name); w && w->isEnabled())
                on << name;
        QObject *o = root->findChild<QObject *>(key.section('.', 0, 0));
        QString prop = key.section('.', 1);
        for (const char *p : {"value", "checked", "text"})
            if (prop.isEmpty() && o && o->property(p).isValid())
                prop = p;
        return key == "enabled" ? on.join(' ')
               : o              ? o->property(qPrintable(prop)).toString()
                                : "missing";
    }

    // A row of the window table: the editor, its record, the steps, the frames that reach
    // the line, what the controls show and what "Сохранить" then stores (none: not saved).
    static void row(const char *tag, int kind, const char *rec, const QString &steps,
                    const QString &frames, const QString &shown = "", const char *stored = "",
                    bool identity = true)
    {
        QTest::newRow(tag) << kind << identity << R(rec) << L(steps) << L(frames) << L(shown)
                           << (*stored ? R(stored) : QByteArray());
    }

private slots:
    void initTestCase()
    {
        port->setResponder(TMemoryPort::rib([](quint8 cmd, const QByteArray &) {
            if (cmd == 0x79)
                return TMemoryPort::answerFrame(cmd, hex("020F008012340123456789ABCDEF0FF00010"));
            if (cmd == 0x80)
                return TMemoryPort::answerFrame(cmd, QByteArray(22, 0x11));
            return TMemoryPort::answerFrame(cmd, cmd == 0x76 ? newRecord() : QByteArray("0"));
        }));
        thread.setPortFactory([p = port] { return p; });
        thread.setPort("COM1");
        thread.setMode(1);
        thread.postRead();
        QVERIFY(thread.wait(5000));
        quint8 id[BoardIdentity::IdentSize];
        thread.getIdent(id);
        QCOMPARE(id[0], quint8(2)); // the board's software version: live control is offered
    }

    // Each row opens an editor and takes its steps; "bTest" enters live control. Rows opened
    // on all 0xFF fill the row's record over it, so that every control has to move.
    void windows_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<bool>("identity");
        QTest::addColumn<QByteArray>("rec");
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<QStringList>("frames");
        QTest::addColumn<QStringList>("shown");
        QTest::addColumn<QByteArray>("stored");
        const char *ff = "FF FFFFFFFFFFFFFFFF FFFFFFFFFFFFFFFF";
        const char *newRec = "0F 040073648F418000 001673648F418000";
        row("mic fields", Mic, ff, "=AA 040073648F418000 052AA6506BB58000", "",
            "chkPttOn=false, chkTxOn=true, boxOff=true, chkTxOff=true, spinAtt=-7.5, "
            "boxAmp=true, spinGain=21, radioAgc=true, spinAgcLvl=-10, lineAttack=11, "
            "lineDecay=400, spinAgcGain=20, lineNoiseLvl=-70, radioNoiseGate_1=true, "
            "checkClip=true, lineDetSignal=8, lineDetNoise=960, boxOff.visible=true",
            "AA 040073648F418000 052AA6506BB58000");
        row("mic limits, both sources", Mic, ff, "=F5 040073648F418000 0CFF0CFFC0008000", "",
            "chkPttOn=false, chkTxOn=true, chkTxOff=true, spinAtt=-12, boxAmp=false, "
            "spinGain=59.5, radioPga=true, spinAgcLvl=-5.5, lineNoiseLvl=Откл.",
            "F0 040073648F418000 08F70CEEC0008000");
        row("mic without own switching bits", Mic, ff, "=5A 040073648F418000 001673648F418000", "",
            "chkPttOn=false, chkTxOn=false, boxOff=false", "5A 040073648F418000 001673648F418000");
        row("mic reset keeps second sources", Mic, "A0 040073648F418000 1111111111118000", "bReset",
            "", "chkTxOn=true, chkTxOff=true", "A0 040073648F418000 001673648F418000");
        row("rx fields", Rx, ff, "=79 03055722D27A9314 001673648F418000", "",
            "chkCosOn=false, chkRxOn=true, boxOff=true, chkCosOff=false, chkRxOff=true, "
            "spinAtt=-4.5, lineNoiseLvl=-46",
            "71 03055722D27A9314 001673648F418000");
        row("rx 0x48, off group unchecked", Rx, ff,
            "=48 040073648F418000 001673648F418000, boxOff=false", "",
            "chkCosOn=false, chkRxOn=false, chkCosOff=false, chkRxOff=true",
            "00 040073648F418000 001673648F418000");
        const QString noIdentity = "boxOn.title=Управление каналом по сигналу, "
                                   "boxOff.visible=false, bTest.enabled=false, ";
        row("mic without identity", Mic, newRec, "", "",
            noIdentity + "chkPttOn.visible=true, chkTxOn.visible=false", newRec, false);
        row("rx without identity", Rx, newRec, "", "",
            noIdentity + "chkCosOn.visible=true, chkRxOn.visible=false", newRec, false);
        row("output without identity", Out, newRec, "bTest, dialTx8=3, .", "",
            "bTest.enabled=false, lineTx8=-1.5", "0F 040073648F418000 001673648F418003", false);
        row("output levels", Out, ff, "=0F 040073648F418AA6 001673648F41E8F5", "",
            "boxRx3=true, lineRx3=-5, boxRx8=true, lineRx8=-19.1, boxTx3=true, "
            "lineTx3=-52.2, boxTx8=true, lineTx8=-78.3",
            "0F 040073648F418AA6 001673648F41E8F5");
        row("output off and limited", Out, ff, "=0F 040073648F417F00 001673648F4125FF", "",
            "boxRx3=false, lineRx3=Откл., boxRx8=false, lineRx8=0, boxTx3=false, "
            "lineTx3=-18.5, boxTx8=true, lineTx8=Откл.",
            "0F 040073648F417600 001673648F4125F6");
        row("output reset", Out, "0F 040073648F410599 001673648F4144F0", "bReset", "",
            "boxRx8=false, lineRx8=0, lineTx3=0", newRec);
        // Enable rules: constant gain, AGC, and the amplifier that holds them both; only the
        // receiver's attenuator follows the amplifier.
        const char *agc = "enabled=boxLine1 checkClip boxAgcLvl boxAgcGain tabAgc";
        row("to AGC", Mic, newRec, "radioAgc", "", agc);
        row("to AGC and back", Mic, newRec, "radioAgc, radioPga", "", "enabled=boxLine1 boxGain");
        row("mic amplifier off in AGC", Mic, "0F 040073648F418000 0096F3648F418000", "", "",
            "enabled=boxLine1, radioPga.enabled=false");
        row("rx amplifier off", Rx, "0F 048073648F418000 001673648F418000", "", "", "enabled=");
        row("rx amplifier off and on in AGC", Rx, "0F 0400F3648F418000 001673648F418000",
            "boxAmp=false, boxAmp=true", "",
            "enabled=boxAtt checkClip boxAgcLvl boxAgcGain tabAgc");
        // Live control.
        const char *micAgc = "0F 040073648F418000 0016F3648F418000";
        const char *rxAgc = "0F 0400F3648F418000 001673648F418000";
        const QString micAgcOn = "2=00 3=81 4=30 5=03 6=90 11=01 8=C0 22=7C 30=64 31=8F 35=41, ";
        const QString all = "bTest, dialDetSignal=3, radioNoiseGate_3=true, dialDecay=0, "
                            "dialAgcGain=10, dialGain=5, dialAtt=2, ";
        row("mic amplifier off, on", Mic, newRec, "bTest, boxAmp=false, ., boxAmp=true, .",
            "18=FF, 16=96, 18=F0, 16=16");
        row("rx amplifier off, on", Rx, newRec, "bTest, boxAmp=false, ., boxAmp=true, .",
            "17=FF, 15=80, 17=4F, 15=00");
        row("mic AGC and back", Mic, newRec, "bTest, radioAgc, ., radioPga, .",
            micAgcOn + "29=F3, 22=78, 29=73");
        row("rx AGC and back", Rx, newRec, "bTest, radioAgc, ., radioPga, .",
            "2=00 3=81 4=30 5=03 6=90 11=01 8=C0 19=7C 27=64 28=8F 34=41, 26=F3, 19=78, 26=73");
        row("mic every group", Mic, micAgc, all + "chkTxOn, .",
            "0x84:2E, 18=F2, 16=05, 29=F0, 30=14, 31=CF, 35=43");
        row("rx every group", Rx, rxAgc, all + "chkRxOn, .",
            "0x83:1D, 17=2F, 15=05, 26=F0, 27=14, 28=CF, 34=43");
        row("mic attenuator, amplifier off", Mic, "0F 040073648F418000 009673648F418000",
            "bTest, dialAtt=3, .", "18=F3");
        // Each move restarts the 250 ms, so moves 100 ms apart go out once, after the last.
        row("moves within 250 ms", Mic, micAgc,
            "bTest, dialAgcLvl=2, p, dialAttack=1, p, dialDecay=0, p, dialAgcLvl=3, .", "29=B4");
        row("reset sends the changed groups", Mic, "2A 040073648F418000 051673208F428000",
            "bTest, bReset, .", "0x84:2E, 18=F0, 30=64, 35=41");
        // The board heard "AGC on" and "amplifier off": the reset must switch both back.
        row("reset after live switches", Mic, newRec,
            "bTest, radioAgc, ., boxAmp=false, ., bReset, .",
            micAgcOn + "29=F3, 18=FF, 16=96, 18=F0, 22=78, 16=16, 29=73");
        row("mic noise threshold", Mic, newRec, "bTest, dialNoiseLvl=5, .", "31=8B");
        row("noise gate 1 dB after off", Mic, "0F 040073648F418000 0016F364CF418000",
            "bTest, radioNoiseGate_0, .", "31=0F");
        row("mic switching from none", Mic, "0A 040073648F418000 001673648F418000",
            "bTest, chkPttOn, ., boxOff=true, ., chkPttOff, .", "0x84:0B, 0x84:0B, 0x84:0F");
        row("rx switching from none", Rx, "05 040073648F418000 001673648F418000",
            "bTest, chkRxOn, ., boxOff=true, ., chkRxOff, .", "0x83:15, 0x83:15, 0x83:55");
        row("output rows in order", Out, newRec,
            "bTest, dialTx3=6, ., dialTx8=7, dialTx3=5, dialRx8=5, boxRx3=false, .",
            "63=86, 60=00, 46=05, 63=85, 49=07");
        row("output microphone off at pin 8", Out, "0F 040073648F418000 001673648F41808C",
            "bTest, boxTx8=false, .", "49=0C");
        row("leaving live control", Mic, newRec, "bTest, dialGain=40, bTest, dialGain=41, .", "");
        row("save within 250 ms", Mic, newRec, "bTest, dialGain=50, bSave, .", "");
        row("close within 250 ms", Out, newRec, "bTest, dialRx3=50, bClose, .", "");
    }
    void windows()
    {
        QFETCH(int, kind);
        QFETCH(bool, identity);
        QFETCH(QByteArray, rec);
        QFETCH(QStringList, steps);
        QFETCH(QStringList, frames);
        QFETCH(QStringList, shown);
        QFETCH(QByteArray, stored);
        TQ275 r = record(rec);
        port->clearRecord();
        QPointer<TEditor> ed = open(kind, r, identity);
        QSignalSpy closing(ed.data(), &TEditor::reqClose);
        // The main window closes the window that asks to be closed.
        connect(ed.data(), &TEditor::reqClose, ed.data(), &QWidget::close);
        ed->show();
        for (const QString &step : steps)
            act(ed, r, step);
        QStringList got, want;
        for (const QString &s : shown)
            got << s.section('=', 0, 0) + '=' + state(ed, s.section('=', 0, 0));
        QCOMPARE(got, shown);
        if (!stored.isEmpty()) {
            ed->findChild<QPushButton *>("bSave")->click();
            QCOMPARE(QList<QVariantList>(closing), QList<QVariantList>{QVariantList{true}});
            QCOMPARE(bytes(r.bytes(), 20).toHex(' '), stored.toHex(' '));
        }
        QVERIFY(thread.wait(5000));
        got.clear();
        for (const QByteArray &w : port->writes())
            got << w.toHex(' ');
        for (const QString &f : frames)
            want << frame(f);
        QCOMPARE(got, want);
        delete ed;
    }

    // Mode zero: each editor writes its defaults and closes unseen; together they build the
    // new record, touching only their own bytes and OR-ing their switching bits.
    void defaults_data()
    {
        QTest::addColumn<QByteArray>("rec");
        QTest::addColumn<QByteArray>("want");
        QTest::newRow("zeros") << QByteArray(20, 0) << newRecord().left(19) + '\0';
        QTest::newRow("filled") << hex("F0") + QByteArray(19, '\xEE')
                                << hex("FF040073648F418000001673648F418000EEEEEE");
    }
    void defaults()
    {
        QFETCH(QByteArray, rec);
        TQ275 r = record(rec);
        QList<QPointer<TEditor>> eds = {open(Rx, r, true, 0), open(Mic, r, true, 0),
                                        open(Out, r, true, 0)};
        QTEST(bytes(r.bytes(), 20), "want");
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        for (const QPointer<TEditor> &e : eds)
            QVERIFY(e.isNull());
    }

    // A typed AGC level snaps to its band; each step of the spin box reaches the next band.
    void agcLevelTyping()
    {
        TQ275 r = record(R("0F 040073648F418000 0016F3648F418000"));
        std::unique_ptr<TEditor> ed(open(Mic, r, true));
        ed->show();
        auto *spin = ed->findChild<QDoubleSpinBox *>("spinAgcLvl");
        auto *dial = ed->findChild<QDial *>("dialAgcLvl");
        dial->setValue(2);
        spin->selectAll();
        QTest::keyClicks(spin, "-21");
        QList<double> got = {spin->value(), double(dial->value())};
        for (int i = 0; i < 7; ++i) {
            spin->stepUp();
            got << spin->value() << dial->value();
        }
        QCOMPARE(got,
                 QList<double>({-24, 7, -20, 6, -17, 5, -14, 4, -12, 3, -10, 2, -8, 1, -5.5, 0}));
    }
};

QTEST_MAIN(TstEditors)
#include "tst_editors.moc"
