// The port, service and About dialogs: their forms, the service codes, and the
// port list against real pseudo-terminals, one of them held by another process.
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QSerialPort>
#include <QSignalSpy>
#include <QtTest>

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include "about.h"
#include "modalresponder.h"
#include "service.h"
#include "tport.h"

namespace
{
// A pseudo-terminal pair; the slave side stands in for a serial port.
struct Pty {
    int master = -1;
    QString slave;
    Pty()
    {
        master = posix_openpt(O_RDWR | O_NOCTTY);
        if (master >= 0 && grantpt(master) == 0 && unlockpt(master) == 0)
            slave = QString::fromLocal8Bit(ptsname(master));
    }
    ~Pty()
    {
        if (master >= 0)
            ::close(master);
    }
};

QStringList items(QComboBox *box)
{
    QStringList l;
    for (int i = 0; i < box->count(); ++i)
        l << box->itemText(i);
    return l;
}

template <class T> T *child(QWidget *w, const char *name)
{
    return w->findChild<T *>(QLatin1String(name));
}

// The first n widgets that the Tab key visits, starting at w.
QWidgetList tabChain(QWidget *w, int n)
{
    QWidgetList l{w};
    for (QWidget *x = w->nextInFocusChain(); x != w && l.size() < n; x = x->nextInFocusChain()) {
        if (x->focusPolicy() & Qt::TabFocus)
            l << x;
    }
    return l;
}

// Child mode of this program: hold a port open until stdin closes.
int holdPort(const QString &name)
{
    QSerialPort port;
    port.setPortName(name);
    if (!port.open(QIODevice::ReadWrite))
        return 2;
    fputs("held\n", stdout);
    fflush(stdout);
    char c;
    while (::read(0, &c, 1) > 0) {
    }
    port.close();
    return 0;
}
} // namespace

class TstDialogs : public QObject
{
    Q_OBJECT

private slots:
    void serviceForm();
    void serviceCodes_data();
    void serviceCodes();
    void serviceRefusals_data();
    void serviceRefusals();
    void serviceModal();

    void portForm();
    void portListsAndPreselectsCurrent();
    void portLeavesOutBusyPort();
    void portCloseKeepsName();
    void portMissingCurrentNotListed();
    void portCandidates();

    void aboutForm();
};

void TstDialogs::serviceForm()
{
    Service d(nullptr);
    QCOMPARE(d.windowTitle(), QStringLiteral("Выбор сервисного режима"));
    QCOMPARE(d.windowModality(), Qt::ApplicationModal);
    QCOMPARE(d.size(), QSize(280, 110));
    QCOMPARE(child<QLabel>(&d, "label")->text(), QStringLiteral("Сервисный код"));
    auto *e = child<QLineEdit>(&d, "eCode");
    QCOMPARE(e->maxLength(), 32);
    QCOMPARE(e->echoMode(), QLineEdit::Normal);
    auto *set = child<QPushButton>(&d, "bSet");
    auto *close = child<QPushButton>(&d, "bClose");
    QCOMPARE(set->text(), QStringLiteral("Ввод"));
    QCOMPARE(close->text(), QStringLiteral("Закрыть"));
    QCOMPARE(tabChain(e, 3), (QWidgetList{e, set, close}));
    QCOMPARE(d.mode(), 0);

    e->setText(QStringLiteral("Fern_Compass"));
    QTest::mouseClick(close, Qt::LeftButton); // "Закрыть" ignores the code
    QCOMPARE(d.result(), int(QDialog::Rejected));
    QCOMPARE(d.mode(), 0);
}

void TstDialogs::serviceCodes_data()
{
    QTest::addColumn<QString>("code");
    QTest::addColumn<int>("mode");
    QTest::newRow("1") << "Mint_Harbour" << 1;
    QTest::newRow("2") << "Quill_Orchard" << 2;
    QTest::newRow("3") << "Kappa_Lantern" << 3;
    QTest::newRow("4") << "Birch_Tempest" << 4;
    QTest::newRow("5") << "Amber_Castles" << 5;
    QTest::newRow("6") << "Granite_Pelican" << 6;
    QTest::newRow("10") << "Fern_Compass" << 10;
}

void TstDialogs::serviceCodes()
{
    QFETCH(QString, code);
    QFETCH(int, mode);
    Service d(nullptr);
    child<QLineEdit>(&d, "eCode")->setText(code);
    QTest::mouseClick(child<QPushButton>(&d, "bSet"), Qt::LeftButton);
    QCOMPARE(d.result(), int(QDialog::Accepted));
    QCOMPARE(d.mode(), mode);
}

void TstDialogs::serviceRefusals_data()
{
    QTest::addColumn<QString>("code");
    QTest::newRow("empty") << "";
    QTest::newRow("lower case") << "mint_harbour";
    QTest::newRow("upper case") << "FERN_COMPASS";
    QTest::newRow("one letter") << "Fern_compass";
    QTest::newRow("trailing blank") << "Amber_Castles ";
    QTest::newRow("leading blank") << " Amber_Castles";
    QTest::newRow("no mode 7") << "Mode7";
    QTest::newRow("prefix") << "Fern_Compas";
}

void TstDialogs::serviceRefusals()
{
    QFETCH(QString, code);
    Service d(nullptr);
    child<QLineEdit>(&d, "eCode")->setText(code);
    QTest::mouseClick(child<QPushButton>(&d, "bSet"), Qt::LeftButton);
    QCOMPARE(d.result(), int(QDialog::Rejected));
    QCOMPARE(d.mode(), 0);
}

void TstDialogs::serviceModal()
{
    // Run the dialog the way the main window does: exec(), then read the mode.
    ModalResponder responder;
    responder.answerWith([](QWidget *w) {
        QTest::keyClicks(child<QLineEdit>(w, "eCode"), QStringLiteral("Kappa_Lantern"));
        QTest::mouseClick(child<QPushButton>(w, "bSet"), Qt::LeftButton);
    });
    Service d(nullptr);
    QCOMPARE(d.exec(), int(QDialog::Accepted));
    QCOMPARE(d.mode(), 3);
}

void TstDialogs::portForm()
{
    TPort d(nullptr, QString());
    QCOMPARE(d.windowTitle(), QStringLiteral("Выбор \u0421\u041e\u041c порта")); // Cyrillic СОМ
    QCOMPARE(d.windowModality(), Qt::ApplicationModal);
    QCOMPARE(d.size(), QSize(280, 110));
    QCOMPARE(child<QLabel>(&d, "label")->text(), QStringLiteral("Последовательный порт"));
    auto *box = child<QComboBox>(&d, "boxPorts");
    QCOMPARE(box->geometry(), QRect(170, 20, 81, 22));
    QCOMPARE(box->maxCount(), 100);
    const QString tip = QStringLiteral("Выбор последовательного порта для связи с радиостанцией");
    QCOMPARE(box->toolTip(), tip);
    QCOMPARE(box->statusTip(), tip);
    auto *set = child<QPushButton>(&d, "bSet");
    auto *close = child<QPushButton>(&d, "bClose");
    QCOMPARE(set->text(), QStringLiteral("Ввод"));
    QCOMPARE(set->toolTip(), QStringLiteral("Сохранение выбранного порта"));
    QCOMPARE(set->statusTip(), QStringLiteral("Сохранение выбранного порта"));
    QCOMPARE(close->text(), QStringLiteral("Закрыть"));
    QCOMPARE(close->toolTip(), QStringLiteral("Выход без сохранения"));
    QCOMPARE(close->statusTip(), QStringLiteral("Выход без сохранения"));
    QVERIFY(child<QWidget>(&d, "line"));
    QCOMPARE(set->parentWidget(), close->parentWidget());
}

void TstDialogs::portListsAndPreselectsCurrent()
{
    Pty other, current;
    QVERIFY(!current.slave.isEmpty());
    TPort d(nullptr, current.slave);
    auto *box = child<QComboBox>(&d, "boxPorts");
    const QStringList l = items(box);
    QCOMPARE(l.count(current.slave), 1);
    // Pseudo-terminals are not enumerated: only the current one is offered.
    QVERIFY(!l.contains(other.slave));
    QCOMPARE(box->currentText(), current.slave);
    QVERIFY(box->count() <= 100);

    // The probe left the port free again.
    QVERIFY(TPort::canOpen(current.slave));

    QTest::mouseClick(child<QPushButton>(&d, "bSet"), Qt::LeftButton);
    QCOMPARE(d.result(), int(QDialog::Accepted));
    QCOMPARE(d.portName(), current.slave);
}

void TstDialogs::portLeavesOutBusyPort()
{
    Pty pty;
    QVERIFY(!pty.slave.isEmpty());
    QProcess holder;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("Q275_HOLD_PORT"), pty.slave);
    holder.setProcessEnvironment(env);
    holder.start(QCoreApplication::applicationFilePath(), {});
    QVERIFY(holder.waitForStarted(5000));
    QByteArray said;
    QTRY_VERIFY_WITH_TIMEOUT((said += holder.readAllStandardOutput()).contains("held"), 5000);

    QVERIFY(!TPort::canOpen(pty.slave));
    {
        TPort d(nullptr, pty.slave);
        auto *box = child<QComboBox>(&d, "boxPorts");
        QVERIFY(!items(box).contains(pty.slave));
        QVERIFY(box->currentText() != pty.slave);
        // Until "Ввод" the dialog reports the caller's name unchanged.
        QCOMPARE(d.portName(), pty.slave);
    }

    holder.closeWriteChannel();
    QVERIFY(holder.waitForFinished(5000));
    QCOMPARE(holder.exitCode(), 0);
    // Released by the other process: offered again.
    TPort d(nullptr, pty.slave);
    QVERIFY(items(child<QComboBox>(&d, "boxPorts")).contains(pty.slave));
}

void TstDialogs::portCloseKeepsName()
{
    Pty pty;
    TPort d(nullptr, pty.slave);
    auto *box = child<QComboBox>(&d, "boxPorts");
    box->addItem(QStringLiteral("elsewhere"));
    box->setCurrentIndex(box->count() - 1);
    QTest::mouseClick(child<QPushButton>(&d, "bClose"), Qt::LeftButton);
    QCOMPARE(d.result(), int(QDialog::Rejected));
    QCOMPARE(d.portName(), pty.slave);
}

void TstDialogs::portMissingCurrentNotListed()
{
    const QString missing = QStringLiteral("/dev/q275-no-such-port");
    TPort d(nullptr, missing);
    auto *box = child<QComboBox>(&d, "boxPorts");
    QVERIFY(!items(box).contains(missing));
    // Whatever is listed (maybe nothing) is what "Ввод" hands back.
    const QString shown = box->currentText();
    QTest::mouseClick(child<QPushButton>(&d, "bSet"), Qt::LeftButton);
    QCOMPARE(d.result(), int(QDialog::Accepted));
    QCOMPARE(d.portName(), shown);
    QVERIFY(!TPort::canOpen(QString()));
}

void TstDialogs::portCandidates()
{
    Pty pty;
    QStringList c = TPort::candidates(pty.slave);
    QCOMPARE(c.count(pty.slave), 1);
    QCOMPARE(c.removeDuplicates(), 0);
    const QStringList none = TPort::candidates(QString());
    QVERIFY(!none.contains(QString()));
    QCOMPARE(c.size(), none.size() + 1);
}

void TstDialogs::aboutForm()
{
    QWidget parent;
    auto *a = new About(&parent);
    QVERIFY(a->testAttribute(Qt::WA_DeleteOnClose));
    QCOMPARE(a->windowTitle(), QStringLiteral("About"));
    QCOMPARE(a->minimumSize(), QSize(400, 150));
    QCOMPARE(a->maximumSize(), QSize(400, 280));
    auto *img = child<QLabel>(a, "labImg");
    QVERIFY(!img->pixmap().isNull());
    QVERIFY(img->text().isEmpty());
    QCOMPARE(img->frameShape(), QFrame::Box);
    auto *name = child<QLabel>(a, "label");
    QCOMPARE(name->text(), QStringLiteral("Терминал адаптера Q-275"));
    QCOMPARE(name->font().pointSize(), 9);
    QCOMPARE(child<QLabel>(a, "label_2")->text(), QStringLiteral("Версия:"));
    QCOMPARE(child<QLabel>(a, "sRev")->text(), QStringLiteral("1.1"));
    QVERIFY(!child<QLabel>(a, "label_4")->text().isEmpty());
    auto *close = child<QPushButton>(a, "bClose");
    QCOMPARE(close->text(), QStringLiteral("Закрыть"));

    QSignalSpy spy(a, &About::reqClose);
    QTest::mouseClick(close, Qt::LeftButton);
    QCOMPARE(spy.count(), 1);
    QCOMPARE(spy.at(0).at(0).toBool(), false);
}

int main(int argc, char **argv)
{
    const QByteArray hold = qgetenv("Q275_HOLD_PORT");
    if (!hold.isEmpty()) {
        QCoreApplication app(argc, argv);
        return holdPort(QString::fromLocal8Bit(hold));
    }
    QApplication app(argc, argv);
    TstDialogs t;
    return QTest::qExec(&t, argc, argv);
}

#include "tst_dialogs.moc"
