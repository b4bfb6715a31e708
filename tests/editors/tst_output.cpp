#include <QDial>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QtTest>
#include <memory>

#include "editorprobe.h"
#include "toutput.h"
#include "tq275.h"

namespace
{

// The four rows: group box, dial, line edit, record byte.
struct Row {
    const char *box, *dial, *line;
    int byte;
};
const Row rows[4] = {{"boxRx3", "dialRx3", "lineRx3", 7},
                     {"boxRx8", "dialRx8", "lineRx8", 8},
                     {"boxTx3", "dialTx3", "lineTx3", 15},
                     {"boxTx8", "dialTx8", "lineTx8", 16}};

struct Out {
    TQ275 rec;
    std::unique_ptr<TOutput> ed;
    Out()
    {
        std::fill(rec.bytes(), rec.bytes() + 20, quint8(0x33));
        rec.rx[6] = 0x80;
        rec.rx[7] = 0x00;
        rec.mic[6] = 0x80;
        rec.mic[7] = 0x00;
    }
    void open(int mode = 1)
    {
        ed.reset(new TOutput(nullptr, rec.rx + 6, rec.mic + 6, mode));
        ed->setAttribute(Qt::WA_DeleteOnClose, false);
    }
    template <typename T> T *w(const char *name) { return child<T>(ed.get(), name); }
    quint8 &byte(int i) { return rec.bytes()[i]; }
};

} // namespace

class TstOutput : public QObject
{
    Q_OBJECT

private slots:
    void formOfTheWindow();
    void tabOrder();
    void defaultsShown();
    void everyRowShowsItsLevel();
    void roundTrip();
    void clampedLevels();
    void uncheckedKeepsLevel();
    void resetAndSave();
    void noIdentity();
    void liveRowsInOrder();
};

void TstOutput::formOfTheWindow()
{
    Out o;
    o.open();
    QCOMPARE(o.ed->windowTitle(), QStringLiteral("Output"));
    QCOMPARE(o.ed->minimumSize(), QSize(400, 350));
    QCOMPARE(o.ed->maximumSize(), QSize(400, 350));
    struct B {
        const char *name, *text, *tip, *status;
    } buttons[] = {
        {"bTest", "Контроль", "Режим контроля параметров ", "Режим контроля параметров"},
        {"bReset", "Сброс", "Сброс параметров  к начальным значениям", ""},
        {"bSave", "Сохранить", "Сохранение установленных параметров",
         "Сохранение установленных параметров"},
        {"bClose", "Закрыть", "Выход без сохранения параметров", "Выход без сохранения параметров"},
    };
    for (const B &b : buttons) {
        auto *p = o.w<QPushButton>(b.name);
        QCOMPARE(p->text(), QString::fromUtf8(b.text));
        QCOMPARE(p->toolTip(), QString::fromUtf8(b.tip));
        QCOMPARE(p->statusTip(), QString::fromUtf8(b.status));
    }
    QVERIFY(o.w<QPushButton>("bTest")->isCheckable());
    auto *g = o.w<QGroupBox>("groupBox");
    QVERIFY(g->isFlat() && g->title().isEmpty());
    QCOMPARE(o.w<QGroupBox>("groupBox_4")->title(), QStringLiteral("Выход контакт № 3"));
    QCOMPARE(o.w<QGroupBox>("groupBox_5")->title(), QStringLiteral("Выход контакт № 8"));
    QCOMPARE(o.w<QGroupBox>("boxRx3")->parentWidget()->objectName(), QStringLiteral("groupBox_4"));
    QCOMPARE(o.w<QGroupBox>("boxTx8")->parentWidget()->objectName(), QStringLiteral("groupBox_5"));
    for (const Row &r : rows) {
        auto *box = o.w<QGroupBox>(r.box);
        const bool rx = QByteArray(r.box).contains("Rx");
        QVERIFY(box->isCheckable());
        QCOMPARE(box->title(), rx ? QStringLiteral("Приемник") : QStringLiteral("Микрофон"));
        QCOMPARE(
            box->toolTip(),
            rx ? QStringLiteral("Регулировка уровня выходного сигнала приемника радиостанции")
               : QStringLiteral("Регулировка уровня выходного сигнала микрофона радиостанции"));
        QCOMPARE(box->statusTip(), box->toolTip());
        auto *dial = o.w<QDial>(r.dial);
        QCOMPARE(dial->minimum(), 0);
        QCOMPARE(dial->maximum(), 118);
        QCOMPARE(dial->pageStep(), 8);
        QVERIFY(dial->invertedAppearance() && dial->invertedControls() && dial->notchesVisible());
        QCOMPARE(dial->notchTarget(), 1.5);
        QVERIFY(o.w<QLineEdit>(r.line)->isReadOnly());
    }
}

void TstOutput::tabOrder()
{
    Out o;
    o.open();
    const QStringList order = {"bTest",   "bReset", "bSave",   "bClose",  "boxRx3", "lineRx3",
                               "dialRx3", "boxTx3", "lineTx3", "dialTx3", "boxTx8", "lineTx8",
                               "dialTx8", "boxRx8", "lineRx8", "dialRx8"};
    QStringList seen;
    QWidget *start = o.w<QWidget>("bTest");
    QWidget *w = start;
    do {
        if (order.contains(w->objectName()) && !seen.contains(w->objectName()))
            seen << w->objectName();
        w = w->nextInFocusChain();
    } while (w != start);
    QCOMPARE(seen, order);
}

void TstOutput::defaultsShown()
{
    Out o;
    o.open();
    o.ed->show();
    for (const char *b : {"boxRx3", "boxTx3"})
        QVERIFY(o.w<QGroupBox>(b)->isChecked());
    for (const char *l : {"lineRx3", "lineTx3", "lineRx8", "lineTx8"})
        QCOMPARE(o.w<QLineEdit>(l)->text(), QStringLiteral("0"));
    for (const char *b : {"boxRx8", "boxTx8"})
        QVERIFY(!o.w<QGroupBox>(b)->isChecked());
    for (const char *d : {"dialRx8", "dialTx8"}) {
        QCOMPARE(o.w<QDial>(d)->value(), 0);
        QVERIFY(!o.w<QDial>(d)->isEnabled());
    }
}

void TstOutput::everyRowShowsItsLevel()
{
    Out o;
    o.byte(7) = 0x80 | 10;
    o.byte(8) = 0x80 | 38;
    o.byte(15) = 0x80 | 104;
    o.byte(16) = 0xF5;
    o.open();
    const int codes[4] = {10, 38, 104, 117};
    const char *texts[4] = {"-5", "-19.1", "-52.2", "-78.3"};
    for (int i = 0; i < 4; ++i) {
        QCOMPARE(o.w<QDial>(rows[i].dial)->value(), codes[i]);
        QCOMPARE(o.w<QLineEdit>(rows[i].line)->text(), QString::fromLatin1(texts[i]));
        QVERIFY(o.w<QGroupBox>(rows[i].box)->isChecked());
    }
}

void TstOutput::roundTrip()
{
    Out o;
    o.open();
    for (const Row &r : rows) {
        for (int v = 0; v < 256; ++v) {
            Out fresh;
            o.rec = fresh.rec;
            o.byte(r.byte) = quint8(v);
            o.ed->Fill();
            quint8 rxPair[2], micPair[2];
            o.ed->Store(rxPair, micPair);
            const quint8 got[4] = {rxPair[0], rxPair[1], micPair[0], micPair[1]};
            for (int i = 0; i < 4; ++i) {
                const int want = rows[i].byte == r.byte ? (v & 0x80) | qMin(v & 0x7F, 118)
                                                        : o.byte(rows[i].byte);
                if (got[i] != want)
                    QFAIL(qPrintable(QString("byte %1 = %2: %3 stored as %4")
                                         .arg(r.byte)
                                         .arg(v, 2, 16)
                                         .arg(rows[i].box)
                                         .arg(got[i], 2, 16)));
            }
        }
    }
}

void TstOutput::clampedLevels()
{
    Out o;
    o.byte(7) = 0x7F;
    o.byte(16) = 0xFF;
    o.open();
    QVERIFY(!o.w<QGroupBox>("boxRx3")->isChecked());
    QCOMPARE(o.w<QLineEdit>("lineRx3")->text(), QStringLiteral("Откл."));
    QCOMPARE(o.w<QLineEdit>("lineTx8")->text(), QStringLiteral("Откл."));
    o.ed->Save();
    QCOMPARE(int(o.byte(7)), 0x76);
    QCOMPARE(int(o.byte(16)), 0xF6);
}

void TstOutput::uncheckedKeepsLevel()
{
    Out o;
    o.byte(15) = 0x80 | 20;
    o.open();
    o.ed->show();
    o.w<QGroupBox>("boxTx3")->setChecked(false);
    QVERIFY(!o.w<QDial>("dialTx3")->isEnabled());
    QCOMPARE(o.w<QDial>("dialTx3")->value(), 20);
    o.ed->Save();
    QCOMPARE(int(o.byte(15)), 20);
}

void TstOutput::resetAndSave()
{
    Out o;
    o.byte(7) = 0x05;
    o.byte(8) = 0x99;
    o.byte(15) = 0x44;
    o.byte(16) = 0xF0;
    o.open();
    QSignalSpy spy(o.ed.get(), &TEditor::reqClose);
    o.w<QPushButton>("bReset")->click();
    QCOMPARE(QList<int>({o.byte(7), o.byte(8), o.byte(15), o.byte(16)}),
             QList<int>({0x80, 0x00, 0x80, 0x00}));
    QCOMPARE(o.w<QLineEdit>("lineRx8")->text(), QStringLiteral("0"));
    o.w<QDial>("dialRx3")->setValue(118);
    o.w<QPushButton>("bSave")->click();
    QCOMPARE(spy.size(), 1);
    QCOMPARE(spy.at(0).at(0).toBool(), true);
    QCOMPARE(int(o.byte(7)), 0xF6);
    // Nothing outside the four output bytes.
    for (int i : {0, 1, 6, 9, 14, 17, 18, 19})
        QCOMPARE(int(o.byte(i)), 0x33);
    o.w<QPushButton>("bClose")->click();
    QCOMPARE(spy.size(), 2);
    QCOMPARE(spy.at(1).at(0).toBool(), false);
}

void TstOutput::noIdentity()
{
    Out o;
    o.open();
    QVERIFY(!o.w<QPushButton>("bTest")->isEnabled());
    o.w<QDial>("dialTx8")->setValue(3);
    QCOMPARE(o.w<QLineEdit>("lineTx8")->text(), QStringLiteral("-1.5"));
}

void TstOutput::liveRowsInOrder()
{
    Out o;
    o.open();
    TaskLog log;
    log.attach(o.ed.get());
    o.ed->Conn(true);
    o.w<QPushButton>("bTest")->setChecked(true);
    o.w<QDial>("dialTx8")->setValue(7);
    o.w<QDial>("dialTx3")->setValue(6);
    o.w<QDial>("dialRx8")->setValue(5);
    o.w<QGroupBox>("boxRx3")->setChecked(false);
    QCOMPARE(o.ed->dirtyMask(), 0x0F);
    o.ed->TestStt();
    QCOMPARE(log.tasks, QList<PostedTask>({codec({60, 0x00}), codec({46, 0x05}), codec({63, 0x86}),
                                           codec({49, 0x07})}));
    QCOMPARE(o.ed->dirtyMask(), 0);
}

QTEST_MAIN(TstOutput)
#include "tst_output.moc"
