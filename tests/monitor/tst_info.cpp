// Board information window: field formatting, mode handling and what Save() puts
// into the board data record. The thread is stopped, so nothing reaches a port.
#include <QDateEdit>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QtTest>

#include <array>

#include "info.h"
#include "tthread.h"

using Ident = std::array<quint8, 18>;
using Board = std::array<quint8, 22>;

static Ident makeIdent(quint8 major, quint8 minor)
{
    Ident id{};
    id[0] = major;
    id[1] = minor;
    id[2] = 0x00;
    id[3] = 0x80;
    id[4] = 0x12;
    id[5] = 0x34;
    const quint8 esn[12] = {0x01, 0x23, 0x45, 0x67, 0x89, 0xAB, 0xCD, 0xEF, 0x0F, 0xF0, 0x00, 0x10};
    std::copy(esn, esn + 12, id.begin() + 6);
    return id;
}

static Board makeBoard(quint16 number, quint16 year, quint8 month, quint8 day)
{
    Board b{};
    b[0] = quint8(number & 0xFF);
    b[1] = quint8(number >> 8);
    b[2] = quint8(year & 0xFF);
    b[3] = quint8(year >> 8);
    b[4] = month;
    b[5] = day;
    for (int i = 6; i < 22; ++i)
        b[i] = quint8(0xA0 + i);
    return b;
}

static QString text(Info &w, const char *name)
{
    auto *label = w.findChild<QLabel *>(name);
    return label ? label->text() : QStringLiteral("<no %1>").arg(QLatin1String(name));
}

class TstInfo : public QObject
{
    Q_OBJECT

    TThread *thread = nullptr;

private slots:
    void initTestCase()
    {
        thread = new TThread;
        thread->requestStop(); // posted tasks stay queued and never run
    }
    void cleanupTestCase() { delete thread; }

    void form()
    {
        Info w(thread, 1);
        QCOMPARE(w.windowTitle(), QStringLiteral("Info"));
        QCOMPARE(w.minimumSize(), QSize(400, 350));
        QCOMPARE(w.maximumSize(), QSize(400, 350));
        QVERIFY(w.testAttribute(Qt::WA_DeleteOnClose));
        QCOMPARE(text(w, "labName"), QStringLiteral("Адаптер Q-275"));
        QCOMPARE(text(w, "sModel"), QStringLiteral("Q-275"));
        QCOMPARE(text(w, "label_5"), QStringLiteral("Процессор S/N:"));
        QCOMPARE(text(w, "label_6"), QStringLiteral("Процессор REV:"));
        auto *img = w.findChild<QLabel *>("labImg");
        QVERIFY(img);
        QVERIFY(QFile::exists(":/images/veltrona.jpg"));
        QVERIFY(!img->pixmap().isNull());
        QCOMPARE(w.findChild<QLabel *>("label_4")->toolTip(),
                 QStringLiteral("Идентификатор микроконтроллера опциональной платы"));
        QCOMPARE(w.findChild<QLabel *>("sChipID")->statusTip(),
                 QStringLiteral("Идентификатор контроллера опциональной платы"));
        auto *spin = w.findChild<QSpinBox *>("spinNum");
        QCOMPARE(spin->minimum(), 0);
        QCOMPARE(spin->maximum(), 1000);
        QVERIFY(w.findChild<QDateEdit *>("eData")->calendarPopup());
        QCOMPARE(w.findChild<QPushButton *>("bSave")->text(), QStringLiteral("Записать"));
        QCOMPARE(w.findChild<QPushButton *>("bClose")->text(), QStringLiteral("Закрыть"));
    }

    void fields()
    {
        Info w(thread, 1);
        const Ident id = makeIdent(2, 15);
        const Board b = makeBoard(7, 2012, 3, 5);
        w.setRecords(id.data(), b.data());
        QCOMPARE(text(w, "sSoft"), QStringLiteral("2.15"));
        QCOMPARE(text(w, "sNum"), QStringLiteral("0007"));
        QCOMPARE(text(w, "sDate"), QStringLiteral("05.03.2012"));
        QCOMPARE(text(w, "sChipID"), QStringLiteral("0x080"));
        QCOMPARE(text(w, "sChipRev"), QStringLiteral("0x1234"));
        QCOMPARE(text(w, "sEsn"), QStringLiteral("0x123456789ABCDEFFF0010"));
        QCOMPARE(text(w, "sModel"), QStringLiteral("Q-275"));
        QCOMPARE(w.findChild<QDateEdit *>("eData")->date(), QDate(2012, 3, 5));
        QCOMPARE(w.findChild<QSpinBox *>("spinNum")->value(), 7);
    }

    void numberAndDateTexts()
    {
        QCOMPARE(Info::numberText(0), QStringLiteral("0000"));
        QCOMPARE(Info::numberText(42), QStringLiteral("0042"));
        QCOMPARE(Info::numberText(1000), QStringLiteral("1000"));
        QCOMPARE(Info::numberText(65535), QStringLiteral("65535"));
        QCOMPARE(Info::dateText(31, 12, 999), QStringLiteral("31.12.999"));
        const quint8 low[2] = {0x0F, 0x00};
        QCOMPARE(Info::hexText(low, 2), QStringLiteral("0xF0"));
    }

    void noIdentity()
    {
        Info w(thread, 10);
        Ident id = makeIdent(0, 9);
        const Board stale = makeBoard(321, 2010, 6, 7);
        w.setRecords(id.data(), stale.data());
        const QString none = QStringLiteral("Не поддерживается");
        QCOMPARE(text(w, "sSoft"), QStringLiteral("0.9"));
        for (const char *name : {"sNum", "sDate", "sChipID", "sChipRev", "sEsn"})
            QCOMPARE(text(w, name), none);
        QCOMPARE(text(w, "sModel"), QStringLiteral("Q-275"));
        QCOMPARE(w.findChild<QDateEdit *>("eData")->text().trimmed(), QString());
        // The board data are not this board's: nothing of them may be written back.
        const Board zero{};
        QVERIFY(std::equal(zero.begin(), zero.end(), w.infoRecord()));
        w.Save();
        QVERIFY(std::equal(zero.begin(), zero.end(), w.infoRecord()));
        // What the technician enters goes out, with zeros behind it.
        w.findChild<QSpinBox *>("spinNum")->setValue(5);
        w.findChild<QDateEdit *>("eData")->setDate(QDate(2015, 6, 1));
        QCOMPARE(text(w, "sDate"), QStringLiteral("01.06.2015"));
        w.Save();
        Board want{};
        want[0] = 5;
        want[2] = 0xDF;
        want[3] = 0x07;
        want[4] = 6;
        want[5] = 1;
        QVERIFY(std::equal(want.begin(), want.end(), w.infoRecord()));
    }

    void threadWithoutRead()
    {
        // A terminal that has read nothing: the thread's records are zero.
        Info w(thread, 1);
        QCOMPARE(text(w, "sSoft"), QStringLiteral("0.0"));
        QCOMPARE(text(w, "sEsn"), QStringLiteral("Не поддерживается"));
    }

    void modes_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<bool>("editable");
        for (int m : {1, 2, 4, 5, 6})
            QTest::addRow("mode %d", m) << m << false;
        QTest::addRow("mode 3") << 3 << true;
        QTest::addRow("mode 10") << 10 << true;
    }
    void modes()
    {
        QFETCH(int, mode);
        QFETCH(bool, editable);
        Info w(thread, quint8(mode));
        w.show();
        for (const char *name : {"spinNum", "eData", "bSave"}) {
            auto *widget = w.findChild<QWidget *>(name);
            QVERIFY(widget);
            QCOMPARE(widget->isVisible(), editable);
            if (editable)
                QVERIFY(widget->isEnabled());
        }
        QVERIFY(w.findChild<QWidget *>("bClose")->isVisible());
    }

    void editorsShowAtOnce()
    {
        Info w(thread, 3);
        const Ident id = makeIdent(1, 2);
        const Board b = makeBoard(7, 2012, 3, 5);
        w.setRecords(id.data(), b.data());
        auto *spin = w.findChild<QSpinBox *>("spinNum");
        spin->setValue(42);
        QCOMPARE(text(w, "sNum"), QStringLiteral("0042"));
        spin->setValue(5000); // out of range: the box keeps to 0..1000
        QCOMPARE(spin->value(), 1000);
        QCOMPARE(text(w, "sNum"), QStringLiteral("1000"));
        w.findChild<QDateEdit *>("eData")->setDate(QDate(2013, 11, 9));
        QCOMPARE(text(w, "sDate"), QStringLiteral("09.11.2013"));
    }

    void saveWritesEditedFields()
    {
        Info w(thread, 10);
        const Ident id = makeIdent(2, 15);
        const Board b = makeBoard(7, 2012, 3, 5);
        w.setRecords(id.data(), b.data());
        w.findChild<QSpinBox *>("spinNum")->setValue(513);
        w.findChild<QDateEdit *>("eData")->setDate(QDate(2014, 12, 31));
        w.findChild<QPushButton *>("bSave")->click();
        const Board want = makeBoard(513, 2014, 12, 31);
        QVERIFY(std::equal(want.begin(), want.end(), w.infoRecord()));
    }

    void saveKeepsNumberBeyondSpinRange()
    {
        Info w(thread, 10);
        const Ident id = makeIdent(2, 15);
        const Board b = makeBoard(4321, 2012, 3, 5);
        w.setRecords(id.data(), b.data());
        QCOMPARE(text(w, "sNum"), QStringLiteral("4321"));
        QCOMPARE(w.findChild<QSpinBox *>("spinNum")->value(), 1000);
        // Only the date is changed: the number stays the board's.
        w.findChild<QDateEdit *>("eData")->setDate(QDate(2015, 1, 2));
        w.Save();
        Board want = makeBoard(4321, 2015, 1, 2);
        QVERIFY(std::equal(want.begin(), want.end(), w.infoRecord()));
        // Now the technician sets the number.
        w.findChild<QSpinBox *>("spinNum")->setValue(12);
        w.Save();
        want = makeBoard(12, 2015, 1, 2);
        QVERIFY(std::equal(want.begin(), want.end(), w.infoRecord()));
    }

    void saveKeepsDateThatIsNoDate()
    {
        Info w(thread, 3);
        const Ident id = makeIdent(2, 15);
        const Board b = makeBoard(7, 2012, 13, 40);
        w.setRecords(id.data(), b.data());
        QCOMPARE(text(w, "sDate"), QStringLiteral("40.13.2012"));
        QCOMPARE(w.findChild<QDateEdit *>("eData")->text().trimmed(), QString());
        w.findChild<QSpinBox *>("spinNum")->setValue(8);
        w.Save();
        const Board want = makeBoard(8, 2012, 13, 40);
        QVERIFY(std::equal(want.begin(), want.end(), w.infoRecord()));
    }

    void quitAsksToCloseWithResult()
    {
        Info w(thread, 1);
        QSignalSpy spy(&w, &Info::reqClose);
        w.findChild<QPushButton *>("bClose")->click();
        QCOMPARE(spy.count(), 1);
        QCOMPARE(spy.at(0).at(0).toBool(), true);
    }
};

QTEST_MAIN(TstInfo)
#include "tst_info.moc"
