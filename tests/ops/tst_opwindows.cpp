// The operation windows (read, write, test, software load) driven through their
// slots and through the link thread's signals. The thread is told to stop before
// any window posts, so no task ever reaches a serial line here.
#include <QLabel>
#include <QLayout>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTimer>
#include <QtTest>

#include <cstring>

#include "load.h"
#include "read.h"
#include "ttest.h"
#include "tthread.h"
#include "write.h"

namespace
{
QLabel *label(QWidget *w)
{
    return w->findChild<QLabel *>(QStringLiteral("label"));
}
QPushButton *button(QWidget *w)
{
    return w->findChild<QPushButton *>(QStringLiteral("bClose"));
}
QProgressBar *bar(QWidget *w)
{
    return w->findChild<QProgressBar *>(QStringLiteral("progressBar"));
}
QTimer *timer(QWidget *w)
{
    return w->findChild<QTimer *>(QStringLiteral("closeTimer"));
}

// The label shows its whole text inside the window's top strip.
bool fits(QLabel *l)
{
    l->window()->show();
    QCoreApplication::processEvents();
    const int need = l->wordWrap() ? l->heightForWidth(l->width()) : l->sizeHint().height();
    return l->sizeHint().width() <= l->width() + 1 || (l->wordWrap() && need <= l->height());
}

TQ275 pattern(quint8 seed)
{
    TQ275 r;
    for (int i = 0; i < TQ275::Size; ++i)
        r.bytes()[i] = quint8(seed + i * 7);
    return r;
}

const QString cancelText = QStringLiteral("Отменить");
const QString closeText = QStringLiteral("Закрыть");
} // namespace

class TstOpWindows : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void progressForm();
    void readStartsRunning();
    void readCancelBeforeAnswer();
    void readSuccessCopiesAndCloses();
    void readCloseClickWithinDelay();
    void readFailure();
    void readConfigAfterErrorIgnored();
    void readBarRules();
    void readNullRecordIgnored();
    void deletedWindowIgnoresThread();

    void sendWindows_data();
    void sendWindows();
    void sendFailureBeforeAnyFrame_data();
    void sendFailureBeforeAnyFrame();
    void sendStopAfterError_data();
    void sendStopAfterError();
    void sendWindowsTakeOnlyTheirSignals();

    void loadWaitsAndCancels();
    void loadStages();
    void loadFailureFreezes();
    void loadOddSizes();

private:
    TThread *thread = nullptr;
};

void TstOpWindows::init()
{
    thread = new TThread;
    thread->requestStop(); // posted tasks are never run
}

void TstOpWindows::cleanup()
{
    delete thread;
    thread = nullptr;
}

void TstOpWindows::progressForm()
{
    TQ275 cfg = pattern(1);
    Read w(thread, &cfg);
    QVERIFY(w.testAttribute(Qt::WA_DeleteOnClose));
    QVERIFY(!w.isModal());
    QCOMPARE(w.minimumSize(), QSize(280, 110));
    QCOMPARE(w.maximumSize(), QSize(280, 110));
    QCOMPARE(w.windowTitle(), QStringLiteral("Load"));
    QCOMPARE(label(&w)->alignment(), Qt::AlignCenter);
    QCOMPARE(bar(&w)->alignment(), Qt::AlignCenter);
    QCOMPARE(button(&w)->minimumSize(), QSize(90, 30));
    auto strip = [&](const char *name) {
        auto *s = w.findChild<QWidget *>(QLatin1String(name));
        return s ? s->geometry() : QRect();
    };
    QCOMPARE(strip("horizontalLayoutWidget_3"), QRect(0, 0, 280, 30));
    QCOMPARE(strip("horizontalLayoutWidget_2"), QRect(0, 30, 280, 30));
    QCOMPARE(strip("line"), QRect(0, 60, 280, 19));
    QCOMPARE(strip("horizontalLayoutWidget"), QRect(0, 79, 280, 31));
    QCOMPARE(label(&w)->parentWidget()->objectName(), QStringLiteral("horizontalLayoutWidget_3"));
    QCOMPARE(bar(&w)->parentWidget()->objectName(), QStringLiteral("horizontalLayoutWidget_2"));
    QCOMPARE(button(&w)->parentWidget()->objectName(), QStringLiteral("horizontalLayoutWidget"));
    auto *l2 = w.findChild<QLayout *>(QStringLiteral("horizontalLayout_2"));
    QVERIFY(l2);
    QCOMPARE(l2->contentsMargins(), QMargins(5, 0, 5, 0));
    auto *l1 = w.findChild<QLayout *>(QStringLiteral("horizontalLayout"));
    QVERIFY(l1);
    QCOMPARE(l1->spacing(), 6);
    QCOMPARE(l1->contentsMargins(), QMargins(0, 0, 0, 0));
}

void TstOpWindows::readStartsRunning()
{
    TQ275 cfg = pattern(1);
    Read w(thread, &cfg);
    QCOMPARE(label(&w)->text(), QStringLiteral("Чтение конфигурации адаптера Q-275"));
    QCOMPARE(button(&w)->text(), cancelText);
    QCOMPARE(bar(&w)->minimum(), 0);
    QCOMPARE(bar(&w)->maximum(), 20);
    QCOMPARE(bar(&w)->value(), 0);
    QVERIFY(!timer(&w)->isActive());
}

void TstOpWindows::readCancelBeforeAnswer()
{
    TQ275 cfg = pattern(1);
    const TQ275 before = cfg;
    Read w(thread, &cfg);
    QSignalSpy spy(&w, &Read::reqClose);
    QTest::mouseClick(button(&w), Qt::LeftButton);
    QCOMPARE(spy.count(), 1);
    QCOMPARE(spy.at(0).at(0).toBool(), false);
    QVERIFY(!timer(&w)->isActive());
    QVERIFY(std::memcmp(cfg.bytes(), before.bytes(), TQ275::Size) == 0);
}

void TstOpWindows::readSuccessCopiesAndCloses()
{
    TQ275 cfg = pattern(1);
    Read w(thread, &cfg);
    QSignalSpy spy(&w, &Read::reqClose);

    TQ275 answer = pattern(100);
    emit thread->readCfg(&answer);
    QVERIFY(std::memcmp(cfg.bytes(), answer.bytes(), TQ275::Size) == 0);
    // The thread's buffer is copied at once, never kept.
    answer.bytes()[3] ^= 0xFF;
    QVERIFY(std::memcmp(cfg.bytes(), answer.bytes(), TQ275::Size) != 0);

    QCOMPARE(label(&w)->text(), QStringLiteral("Конфигурация адаптера прочитана."));
    QCOMPARE(button(&w)->text(), closeText);
    QVERIFY(timer(&w)->isActive());
    QCOMPARE(timer(&w)->interval(), 500);
    QCOMPARE(spy.count(), 0);

    // The real 500 ms delay ends in reqClose(true), exactly once.
    QTRY_COMPARE_WITH_TIMEOUT(spy.count(), 1, 2000);
    QCOMPARE(spy.at(0).at(0).toBool(), true);
    QTest::qWait(50);
    QCOMPARE(spy.count(), 1);
}

void TstOpWindows::readCloseClickWithinDelay()
{
    TQ275 cfg = pattern(1);
    Read w(thread, &cfg);
    QSignalSpy spy(&w, &Read::reqClose);
    TQ275 answer = pattern(50);
    emit thread->readCfg(&answer);
    QTest::mouseClick(button(&w), Qt::LeftButton);
    QCOMPARE(spy.count(), 1);
    QCOMPARE(spy.at(0).at(0).toBool(), true);
    QVERIFY(!timer(&w)->isActive());
    QTest::qWait(650); // past the 500 ms: the timer must not fire a second request
    QCOMPARE(spy.count(), 1);
}

void TstOpWindows::readFailure()
{
    TQ275 cfg = pattern(1);
    Read w(thread, &cfg);
    QSignalSpy spy(&w, &Read::reqClose);
    emit thread->readErr();
    QCOMPARE(label(&w)->text(), QStringLiteral("Ошибка. Чтение конфигурации прервано."));
    QCOMPARE(button(&w)->text(), closeText);
    QVERIFY(w.isFailed());
    QVERIFY(timer(&w)->isActive());
    QCOMPARE(timer(&w)->interval(), 5000);
    QCOMPARE(spy.count(), 0);

    // Let the close timer run out quickly: its time-out asks to close with false.
    timer(&w)->start(1);
    QTRY_COMPARE(spy.count(), 1);
    QCOMPARE(spy.at(0).at(0).toBool(), false);
}

void TstOpWindows::readConfigAfterErrorIgnored()
{
    TQ275 cfg = pattern(1);
    const TQ275 before = cfg;
    Read w(thread, &cfg);
    QSignalSpy spy(&w, &Read::reqClose);
    emit thread->readErr();
    TQ275 answer = pattern(77);
    emit thread->readCfg(&answer);
    QVERIFY(std::memcmp(cfg.bytes(), before.bytes(), TQ275::Size) == 0);
    QCOMPARE(label(&w)->text(), QStringLiteral("Ошибка. Чтение конфигурации прервано."));
    QCOMPARE(timer(&w)->interval(), 5000);
    QTest::mouseClick(button(&w), Qt::LeftButton);
    QCOMPARE(spy.count(), 1);
    QCOMPARE(spy.at(0).at(0).toBool(), false);
}

void TstOpWindows::readBarRules()
{
    TQ275 cfg = pattern(1);
    Read w(thread, &cfg);
    emit thread->recvMax(23);
    QCOMPARE(bar(&w)->maximum(), 23);
    emit thread->recvCnt(0);
    QCOMPARE(bar(&w)->value(), 0);
    emit thread->recvCnt(11);
    QCOMPARE(bar(&w)->value(), 11);
    emit thread->recvCnt(-1);
    QCOMPARE(bar(&w)->value(), 11);
    emit thread->recvMax(27); // the next answer frame
    emit thread->recvCnt(27);
    QCOMPARE(bar(&w)->maximum(), 27);
    QCOMPARE(bar(&w)->value(), 27);

    emit thread->readErr();
    emit thread->recvCnt(3);
    QCOMPARE(bar(&w)->value(), 27);
    emit thread->recvMax(25); // the maximum still follows the frames
    QCOMPARE(bar(&w)->maximum(), 25);
}

void TstOpWindows::readNullRecordIgnored()
{
    TQ275 cfg = pattern(1);
    const TQ275 before = cfg;
    Read w(thread, &cfg);
    emit thread->readCfg(nullptr);
    QVERIFY(std::memcmp(cfg.bytes(), before.bytes(), TQ275::Size) == 0);
    QCOMPARE(button(&w)->text(), cancelText);
    QVERIFY(!timer(&w)->isActive());
}

void TstOpWindows::deletedWindowIgnoresThread()
{
    TQ275 cfg = pattern(1);
    const TQ275 before = cfg;
    auto *r = new Read(thread, &cfg);
    auto *wr = new Write(thread, &cfg);
    auto *t = new TTest(thread, &cfg);
    QSignalSpy spyR(r, &Read::reqClose);
    delete r;
    delete wr;
    delete t;
    // A cancelled task still ends in the thread; its signals must reach no window.
    TQ275 answer = pattern(9);
    emit thread->readCfg(&answer);
    emit thread->readErr();
    emit thread->recvMax(5);
    emit thread->recvCnt(5);
    emit thread->saveStp();
    emit thread->testErr();
    emit thread->sendMax(29);
    emit thread->sendCnt(29);
    QVERIFY(std::memcmp(cfg.bytes(), before.bytes(), TQ275::Size) == 0);
    QCOMPARE(spyR.count(), 0);
}

// Write and TTest share one behaviour with their own signals and texts.
namespace
{
struct SendCase {
    QString running, done, failed;
    void (TThread::*stop)();
    void (TThread::*error)();
};

QWidget *makeSendWindow(bool isTest, TThread *t, TQ275 *cfg)
{
    if (isTest)
        return new TTest(t, cfg);
    return new Write(t, cfg);
}

SendCase sendCase(bool isTest)
{
    if (isTest)
        return {QStringLiteral("Проверка конфигурации адаптера Q-275"),
                QStringLiteral("Проверка конфигурации адаптера Q-275 выполнена."),
                QStringLiteral("Ошибка. Загрузка конфигурации прервана."), &TThread::testStp,
                &TThread::testErr};
    return {QStringLiteral("Загрузка конфигурации адаптера Q-275"),
            QStringLiteral("Конфигурации адаптера Q-275 записана."),
            QStringLiteral("Ошибка. Запись конфигурации прервана."), &TThread::saveStp,
            &TThread::saveErr};
}
} // namespace

void TstOpWindows::sendWindows_data()
{
    QTest::addColumn<bool>("isTest");
    QTest::newRow("Write") << false;
    QTest::newRow("TTest") << true;
}

void TstOpWindows::sendWindows()
{
    QFETCH(bool, isTest);
    const SendCase c = sendCase(isTest);
    TQ275 cfg = pattern(3);
    const TQ275 before = cfg;
    std::unique_ptr<QWidget> w(makeSendWindow(isTest, thread, &cfg));
    QVERIFY(w->testAttribute(Qt::WA_DeleteOnClose));
    QSignalSpy spy(w.get(), SIGNAL(reqClose(bool)));

    QCOMPARE(label(w.get())->text(), c.running);
    QCOMPARE(button(w.get())->text(), cancelText);
    QCOMPARE(bar(w.get())->minimum(), 0);
    QCOMPARE(bar(w.get())->maximum(), 1);
    QCOMPARE(bar(w.get())->value(), 0);

    emit thread->sendMax(29);
    emit thread->sendCnt(29);
    QCOMPARE(bar(w.get())->maximum(), 29);
    QCOMPARE(bar(w.get())->value(), 29);
    emit thread->sendMax(0xFFFFFFFFu); // absurd lengths must not wrap negative
    QVERIFY(bar(w.get())->maximum() > 0);

    (thread->*c.stop)();
    QCOMPARE(label(w.get())->text(), c.done);
    QVERIFY(fits(label(w.get())));
    QCOMPARE(button(w.get())->text(), closeText);
    QVERIFY(timer(w.get())->isActive());
    QCOMPARE(timer(w.get())->interval(), 1000);
    QCOMPARE(spy.count(), 0);

    // A click within the second after success asks to close with true.
    QTest::mouseClick(button(w.get()), Qt::LeftButton);
    QCOMPARE(spy.count(), 1);
    QCOMPARE(spy.at(0).at(0).toBool(), true);
    QVERIFY(!timer(w.get())->isActive());
    // The window never changes the record it was given.
    QVERIFY(std::memcmp(cfg.bytes(), before.bytes(), TQ275::Size) == 0);

    // The timer path of a fresh window.
    std::unique_ptr<QWidget> w2(makeSendWindow(isTest, thread, &cfg));
    QSignalSpy spy2(w2.get(), SIGNAL(reqClose(bool)));
    QTest::mouseClick(button(w2.get()), Qt::LeftButton); // cancel
    QCOMPARE(spy2.count(), 1);
    QCOMPARE(spy2.at(0).at(0).toBool(), false);
    std::unique_ptr<QWidget> w3(makeSendWindow(isTest, thread, &cfg));
    QSignalSpy spy3(w3.get(), SIGNAL(reqClose(bool)));
    (thread->*c.stop)();
    timer(w3.get())->start(1);
    QTRY_COMPARE(spy3.count(), 1);
    QCOMPARE(spy3.at(0).at(0).toBool(), true);
}

void TstOpWindows::sendFailureBeforeAnyFrame_data()
{
    sendWindows_data();
}

void TstOpWindows::sendFailureBeforeAnyFrame()
{
    QFETCH(bool, isTest);
    const SendCase c = sendCase(isTest);
    TQ275 cfg = pattern(3);
    std::unique_ptr<QWidget> w(makeSendWindow(isTest, thread, &cfg));
    QSignalSpy spy(w.get(), SIGNAL(reqClose(bool)));
    (thread->*c.error)();
    QCOMPARE(label(w.get())->text(), c.failed);
    QCOMPARE(button(w.get())->text(), closeText);
    QCOMPARE(bar(w.get())->maximum(), 1);
    QCOMPARE(bar(w.get())->value(), 0);
    QCOMPARE(timer(w.get())->interval(), 5000);
    QVERIFY(timer(w.get())->isActive());

    emit thread->sendMax(29);
    emit thread->sendCnt(20);
    QCOMPARE(bar(w.get())->maximum(), 29);
    QCOMPARE(bar(w.get())->value(), 0);

    timer(w.get())->start(1);
    QTRY_COMPARE(spy.count(), 1);
    QCOMPARE(spy.at(0).at(0).toBool(), false);
}

void TstOpWindows::sendStopAfterError_data()
{
    sendWindows_data();
}

void TstOpWindows::sendStopAfterError()
{
    QFETCH(bool, isTest);
    const SendCase c = sendCase(isTest);
    TQ275 cfg = pattern(3);
    std::unique_ptr<QWidget> w(makeSendWindow(isTest, thread, &cfg));
    QSignalSpy spy(w.get(), SIGNAL(reqClose(bool)));
    (thread->*c.error)();
    (thread->*c.stop)();
    QCOMPARE(label(w.get())->text(), c.failed);
    QTest::mouseClick(button(w.get()), Qt::LeftButton);
    QCOMPARE(spy.count(), 1);
    QCOMPARE(spy.at(0).at(0).toBool(), false);
}

void TstOpWindows::sendWindowsTakeOnlyTheirSignals()
{
    TQ275 cfg = pattern(3);
    Write wr(thread, &cfg);
    TTest te(thread, &cfg);
    Read rd(thread, &cfg);
    emit thread->testStp();
    QCOMPARE(button(&wr)->text(), cancelText);
    QCOMPARE(button(&te)->text(), closeText);
    emit thread->saveErr();
    QVERIFY(wr.isFailed());
    QVERIFY(!te.isFailed());
    QCOMPARE(button(&rd)->text(), cancelText);
    emit thread->recvMax(23);
    QCOMPARE(bar(&wr)->maximum(), 1);
    QCOMPARE(bar(&rd)->maximum(), 23);
}

void TstOpWindows::loadWaitsAndCancels()
{
    auto *image = new quint8[65536];
    std::memset(image, 0xA5, 65536);
    Load w(thread, image, 65536); // takes the buffer over
    QVERIFY(w.testAttribute(Qt::WA_DeleteOnClose));
    QSignalSpy spy(&w, &Load::reqClose);
    QCOMPARE(bar(&w)->maximum(), 65536);
    QCOMPARE(bar(&w)->minimum(), 0);
    QCOMPARE(bar(&w)->value(), 0);
    QCOMPARE(label(&w)->text(), QStringLiteral("Запрос идентификатора устройства"));
    QCOMPARE(button(&w)->text(), cancelText);
    QTest::qWait(20);
    QCOMPARE(label(&w)->text(), QStringLiteral("Запрос идентификатора устройства"));
    QVERIFY(!timer(&w)->isActive());
    QTest::mouseClick(button(&w), Qt::LeftButton);
    QCOMPARE(spy.count(), 1);
    QCOMPARE(spy.at(0).at(0).toBool(), false);
}

void TstOpWindows::loadStages()
{
    Load w(thread, new quint8[1000], 1000);
    QSignalSpy spy(&w, &Load::reqClose);
    w.Start(0x1234);
    QCOMPARE(label(&w)->text(), QStringLiteral("Контроллер , загрузка ПО."));
    QCOMPARE(button(&w)->text(), cancelText);
    w.Progress(400);
    QCOMPARE(bar(&w)->value(), 400);
    w.Check();
    QCOMPARE(label(&w)->text(), QStringLiteral("Контроллер , проверка ПО."));
    w.Progress(1000);
    w.Stop();
    QCOMPARE(label(&w)->text(), QStringLiteral("Контроллер , ПО загружено."));
    QCOMPARE(button(&w)->text(), closeText);
    QCOMPARE(timer(&w)->interval(), 1000);
    QVERIFY(timer(&w)->isActive());
    timer(&w)->start(1);
    QTRY_COMPARE(spy.count(), 1);
    QCOMPARE(spy.at(0).at(0).toBool(), true);
}

void TstOpWindows::loadFailureFreezes()
{
    Load w(thread, new quint8[1000], 1000);
    QSignalSpy spy(&w, &Load::reqClose);
    w.Start(1);
    w.Progress(100);
    w.Error();
    const QString err = QStringLiteral("Ошибка. Загрузка ПО прервана.");
    QCOMPARE(label(&w)->text(), err);
    QCOMPARE(button(&w)->text(), closeText);
    QCOMPARE(timer(&w)->interval(), 5000);
    w.Start(1);
    w.Check();
    w.Progress(900);
    w.Stop();
    QCOMPARE(label(&w)->text(), err);
    QCOMPARE(bar(&w)->value(), 100);
    QCOMPARE(timer(&w)->interval(), 5000);
    QTest::mouseClick(button(&w), Qt::LeftButton);
    QCOMPARE(spy.count(), 1);
    QCOMPARE(spy.at(0).at(0).toBool(), false);
}

void TstOpWindows::loadOddSizes()
{
    Load empty(thread, nullptr, 0);
    QCOMPARE(bar(&empty)->maximum(), 0);
    Load negative(thread, nullptr, -5);
    QCOMPARE(bar(&negative)->maximum(), 0);
    Load w(thread, new quint8[10], 10);
    w.Progress(0xFFFFFFFFu); // beyond the image: the bar stays put
    QCOMPARE(bar(&w)->value(), 0);
}

QTEST_MAIN(TstOpWindows)
#include "tst_opwindows.moc"
