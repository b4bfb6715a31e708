// The link worker over an in-memory line: the task queue and its thread, the
// read, test, save, trace, board data and codec operations, their signals and
// log lines, stopping, and the hand-over of the pointer signals.
#include <QtTest>

#include <QElapsedTimer>
#include <QMap>
#include <QSemaphore>

#include <atomic>
#include <memory>
#include <thread>

#include "tmemoryport.h"
#include "tthread.h"

namespace
{

QByteArray hex(const char *text)
{
    return QByteArray::fromHex(text);
}

QByteArray counting(int n, int from)
{
    QByteArray d;
    for (int i = 0; i < n; ++i)
        d.append(char(from + i));
    return d;
}

QByteArray bytes(const quint8 *p, int n)
{
    return QByteArray(reinterpret_cast<const char *>(p), n);
}

// The RIB and the board: answers per command, taken in turn (the last one
// stays). A command without answers gets nothing back after the acknowledgement.
class Board
{
public:
    void answer(quint8 cmd, const QList<QByteArray> &frames)
    {
        QMutexLocker l(&lock);
        answers[cmd] = frames;
    }
    void status(quint8 cmd, char s)
    {
        answer(cmd, {TMemoryPort::answerFrame(cmd, QByteArray(1, s))});
    }
    TMemoryPort::Board function()
    {
        return [this](quint8 cmd, const QByteArray &) {
            QMutexLocker l(&lock);
            QList<QByteArray> &list = answers[cmd];
            if (list.isEmpty())
                return QByteArray();
            return list.size() > 1 ? list.takeFirst() : list.first();
        };
    }

private:
    QMutex lock;
    QMap<quint8, QList<QByteArray>> answers;
};

// The in-memory line behind a device object that takes its time to go away:
// it widens the moment in which a worker has found the queue empty but is
// still on its way out of run().
class SlowEndPort : public TLinkPort
{
public:
    explicit SlowEndPort(std::shared_ptr<TMemoryPort> line) : line(std::move(line)) {}
    ~SlowEndPort() override { QThread::msleep(2); }
    bool open(const QString &name) override { return line->open(name); }
    bool setTimeouts(quint32 r, quint32 w) override { return line->setTimeouts(r, w); }
    int configure() override { return line->configure(); }
    qint64 read(quint8 *buf, qint64 n) override { return line->read(buf, n); }
    qint64 write(const quint8 *buf, qint64 n) override { return line->write(buf, n); }
    void close() override { line->close(); }
    bool isOpen() const override { return line->isOpen(); }

private:
    std::shared_ptr<TMemoryPort> line;
};

} // namespace

class LinkThreadTest : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<TThread> thread;
    std::shared_ptr<TMemoryPort> port;
    std::unique_ptr<Board> board;
    QMutex recordLock;
    QStringList record; // signals and pauses, in the order the worker produced them
    std::function<void(int)> onSleep;

    void add(const QString &e)
    {
        QMutexLocker l(&recordLock);
        record << e;
    }
    QStringList events()
    {
        // A deep copy: the worker keeps appending to the original.
        QMutexLocker l(&recordLock);
        QStringList out;
        for (const QString &e : record)
            out << QString(e.constData(), e.size());
        return out;
    }
    QStringList lines()
    {
        QStringList out;
        for (const QString &e : events()) {
            if (e.startsWith("mes "))
                out << e.mid(4);
        }
        return out;
    }
    // Everything but the progress signals.
    QStringList outcome()
    {
        QStringList out;
        for (const QString &e : events()) {
            if (!e.startsWith("send") && !e.startsWith("recv"))
                out << e;
        }
        return out;
    }
    QList<QByteArray> frames() { return port->writes(); }
    QList<quint8> commands()
    {
        QList<quint8> out;
        for (const QByteArray &f : port->writes())
            out << quint8(f.size() > 6 ? f[6] : 0);
        return out;
    }
    bool finish() { return thread->wait(20000); }

private slots:
    void init()
    {
        {
            QMutexLocker l(&recordLock);
            record.clear();
        }
        onSleep = nullptr;
        board = std::make_unique<Board>();
        port = std::make_shared<TMemoryPort>();
        port->setResponder(TMemoryPort::rib(board->function()));
        thread = std::make_unique<TThread>();
        thread->setPort("ttyT");
        thread->setMode(1);
        auto p = port;
        thread->setPortFactory([p] { return p; });
        thread->setSleepFunction([this](int ms) {
            add(QStringLiteral("sleep %1").arg(ms));
            if (onSleep)
                onSleep(ms);
        });
        TThread *t = thread.get();
        const auto direct = Qt::DirectConnection;
        connect(
            t, &TThread::readErr, t, [this] { add("readErr"); }, direct);
        connect(
            t, &TThread::readCfg, t,
            [this](TQ275 *c) { add("readCfg " + bytes(c->bytes(), 20).toHex()); }, direct);
        connect(
            t, &TThread::recvMax, t, [this](qint32 v) { add(QStringLiteral("recvMax %1").arg(v)); },
            direct);
        connect(
            t, &TThread::recvCnt, t, [this](qint32 v) { add(QStringLiteral("recvCnt %1").arg(v)); },
            direct);
        connect(
            t, &TThread::testStp, t, [this] { add("testStp"); }, direct);
        connect(
            t, &TThread::testErr, t, [this] { add("testErr"); }, direct);
        connect(
            t, &TThread::saveStp, t, [this] { add("saveStp"); }, direct);
        connect(
            t, &TThread::saveErr, t, [this] { add("saveErr"); }, direct);
        connect(
            t, &TThread::sendMax, t,
            [this](quint32 v) { add(QStringLiteral("sendMax %1").arg(v)); }, direct);
        connect(
            t, &TThread::sendCnt, t,
            [this](quint32 v) { add(QStringLiteral("sendCnt %1").arg(v)); }, direct);
        connect(
            t, &TThread::traceRdy, t,
            [this](quint8 *r) { add("traceRdy " + bytes(r, r[0] + 1).toHex()); }, direct);
        connect(
            t, &TThread::traceErr, t, [this] { add("traceErr"); }, direct);
        connect(
            t, &TThread::mes, t, [this](const QString &s) { add("mes " + s); }, direct);
    }
    void cleanup()
    {
        thread.reset(); // stops and waits
    }

    void signalOrderIsFixed()
    {
        const QMetaObject &mo = TThread::staticMetaObject;
        QStringList sigs;
        for (int i = mo.methodOffset(); i < mo.methodCount(); ++i) {
            if (mo.method(i).methodType() == QMetaMethod::Signal)
                sigs << QString::fromLatin1(mo.method(i).methodSignature());
        }
        // As moc spells them (qint32 as int, quint32 as uint).
        QCOMPARE(sigs,
                 (QStringList{"readErr()", "readCfg(TQ275*)", "recvMax(int)", "recvCnt(int)",
                              "testStp()", "testErr()", "saveStp()", "saveErr()", "sendMax(uint)",
                              "sendCnt(uint)", "traceRdy(quint8*)", "traceErr()", "mes(QString)"}));
    }

    // --------------------------------------------------------------- read

    void readConfiguration()
    {
        const QByteArray ident = counting(18, 0x01);
        const QByteArray info = counting(22, 0x40);
        const QByteArray cfg = counting(20, 0x80);
        board->answer(0x79, {TMemoryPort::answerFrame(0x79, ident)});
        board->answer(0x80, {TMemoryPort::answerFrame(0x80, info)});
        board->answer(0x76, {TMemoryPort::answerFrame(0x76, cfg)});
        thread->postRead();
        QVERIFY(finish());
        const QStringList progress = {"sendMax 9", "sendCnt 9", "recvCnt 0"};
        QStringList expected = progress;
        expected << "recvMax 23"
                 << "recvCnt 23" << progress << "recvMax 27"
                 << "recvCnt 27" << progress << "recvMax 25"
                 << "recvCnt 25"
                 << "readCfg " + cfg.toHex() << "mes Процесс чтения конфигурации выполнен";
        QCOMPARE(events(), expected);
        QCOMPARE(commands(), (QList<quint8>{0x79, 0x80, 0x76}));
        // One opening for the three commands, closed at the end.
        QCOMPARE(port->openCount(), 1);
        QVERIFY(!port->isOpen());
        quint8 got[22];
        thread->getIdent(got);
        QCOMPARE(bytes(got, 18), ident);
        thread->getInfo(got);
        QCOMPARE(bytes(got, 22), info);
    }

    void identityErrorAnswer()
    {
        // First a board with identity, then one that refuses it.
        board->answer(0x79, {TMemoryPort::answerFrame(0x79, counting(18, 0x11)),
                             TMemoryPort::answerFrame(0x73, hex("01"))});
        board->answer(0x80, {TMemoryPort::answerFrame(0x80, counting(22, 0x40))});
        board->answer(0x76, {TMemoryPort::answerFrame(0x76, counting(20, 0x80))});
        thread->postRead();
        QVERIFY(finish());
        quint8 ident[18];
        thread->getIdent(ident);
        QCOMPARE(int(ident[0]), 0x11);
        port->clearRecord();
        {
            QMutexLocker l(&recordLock);
            record.clear();
        }

        thread->postRead();
        QVERIFY(finish());
        QCOMPARE(commands(), (QList<quint8>{0x79, 0x76})); // no 0x80
        QCOMPARE(outcome(), (QStringList{"mes Ошибка, код ответа опциональной платы: 0x1",
                                         "mes Адаптер Q-275 версия 0.0",
                                         "readCfg " + counting(20, 0x80).toHex(),
                                         "mes Процесс чтения конфигурации выполнен"}));
        thread->getIdent(ident);
        QCOMPARE(int(ident[0]), 0);
        QCOMPARE(int(ident[1]), 0);
        QCOMPARE(int(ident[2]), 0x13); // the rest stays as read before
    }

    void boardDataErrorAnswer()
    {
        board->answer(0x79, {TMemoryPort::answerFrame(0x79, counting(18, 0x11))});
        board->answer(0x80, {TMemoryPort::answerFrame(0x73, hex("02"))});
        board->answer(0x76, {TMemoryPort::answerFrame(0x76, counting(20, 0x80))});
        thread->postRead();
        QVERIFY(finish());
        QCOMPARE(commands(), (QList<quint8>{0x79, 0x80, 0x76}));
        QVERIFY(lines().contains("Адаптер Q-275 версия 0.0"));
        QVERIFY(outcome().contains("readCfg " + counting(20, 0x80).toHex()));
        quint8 ident[18];
        thread->getIdent(ident);
        QCOMPARE(bytes(ident, 18), QByteArray(2, '\0') + counting(16, 0x13));
        quint8 info[22];
        thread->getInfo(info);
        QCOMPARE(bytes(info, 22), QByteArray(22, '\0')); // untouched
    }

    void configurationErrorAnswer()
    {
        board->answer(0x79, {TMemoryPort::answerFrame(0x79, counting(18, 0x11))});
        board->answer(0x80, {TMemoryPort::answerFrame(0x80, counting(22, 0x40))});
        board->answer(0x76, {TMemoryPort::answerFrame(0x73, hex("04"))});
        thread->postRead();
        QVERIFY(finish());
        QCOMPARE(outcome(),
                 (QStringList{"mes Ошибка, код ответа опциональной платы: 0x4", "readErr"}));
        QVERIFY(!port->isOpen());
    }

    void shortConfigurationIsAFailure()
    {
        board->answer(0x79, {TMemoryPort::answerFrame(0x73, hex("01"))});
        board->answer(0x76, {TMemoryPort::answerFrame(0x76, counting(19, 0x80))});
        thread->postRead();
        QVERIFY(finish());
        const QStringList out = outcome();
        QCOMPARE(out.last(), QString("readErr"));
        QVERIFY(!out.join('\n').contains("readCfg"));
        QCOMPARE(lines().count("Ошибка приема данных от опциональной платы: 10"), 10);
    }

    void readFailsAtOnceWithoutPort()
    {
        port->setOpenFails(true);
        thread->postRead();
        QVERIFY(finish());
        QCOMPARE(events(), QStringList{"readErr"});
    }

    // ----------------------------------------------------- test and save

    void testAndSave_data()
    {
        QTest::addColumn<char>("status");
        QTest::addColumn<QStringList>("test");
        QTest::addColumn<QStringList>("save");
        QTest::newRow("0") << '0'
                           << QStringList{"testStp", "mes Загрузка тестовой конфигурации выполнена"}
                           << QStringList{"saveStp", "mes Процесс загрузки конфигурации выполнен"};
        const QString bad = "mes Ошибка, контрольной суммы в пакете принятом адаптером Q-275";
        QTest::newRow("1") << '1' << QStringList{"testErr", bad} << QStringList{"saveErr", bad};
        const QString failed = "mes Ошибка, выполнения команды адаптером Q-275";
        QTest::newRow("2") << '2' << QStringList{"testErr", failed}
                           << QStringList{"saveErr", failed};
        const QString unknown = "mes Команда на поддерживается версией адаптера Q-275";
        QTest::newRow("x") << 'x' << QStringList{"testErr", unknown}
                           << QStringList{"saveErr", unknown};
    }
    void testAndSave()
    {
        QFETCH(char, status);
        QFETCH(QStringList, test);
        QFETCH(QStringList, save);
        board->status(0x74, status);
        board->status(0x75, status);
        const QByteArray cfg = counting(20, 0x30);
        thread->postTest(reinterpret_cast<const quint8 *>(cfg.constData()), 20);
        thread->postSave(reinterpret_cast<const quint8 *>(cfg.constData()), 20);
        QVERIFY(finish());
        QCOMPARE(outcome(), test + save);
        QCOMPARE(frames(), (QList<QByteArray>{TMemoryPort::requestFrame(0x74, cfg),
                                              TMemoryPort::requestFrame(0x75, cfg)}));
        QCOMPARE(events().mid(0, 2), (QStringList{"sendMax 29", "sendCnt 29"}));
    }

    void testAndSaveLinkFailure()
    {
        port->setOpenFails(true);
        const QByteArray cfg = counting(20, 0x30);
        thread->postTest(reinterpret_cast<const quint8 *>(cfg.constData()), 20);
        thread->postSave(reinterpret_cast<const quint8 *>(cfg.constData()), 20);
        QVERIFY(finish());
        QCOMPARE(events(), (QStringList{"testErr", "saveErr"}));
    }

    void tasksCopyTheirData()
    {
        // The caller's bytes may change right after the post.
        board->status(0x75, '0');
        QByteArray cfg = counting(20, 0x30);
        port->setResponder([this](const QByteArray &w) {
            QThread::msleep(20);
            return TMemoryPort::rib(board->function())(w);
        });
        thread->postSave(reinterpret_cast<const quint8 *>(cfg.constData()), 20);
        thread->postSave(reinterpret_cast<const quint8 *>(cfg.constData()), 20);
        cfg.fill('\x77');
        QVERIFY(finish());
        QCOMPARE(frames().value(1), TMemoryPort::requestFrame(0x75, counting(20, 0x30)));
    }

    // -------------------------------------------------------------- trace

    void traceRecord()
    {
        board->status(0x77, '0');
        board->answer(0x78, {TMemoryPort::answerFrame(0x78, hex("010203"))});
        thread->postTrace(0x105); // the low byte is the mask
        QVERIFY(finish());
        QCOMPARE(frames(), (QList<QByteArray>{TMemoryPort::requestFrame(0x77, hex("05")),
                                              TMemoryPort::requestFrame(0x78, QByteArray())}));
        // The status "0" to 0x77 logs nothing; the record is count, then data.
        QCOMPARE(outcome(), QStringList{"traceRdy 03010203"});
        // The thread does not poll again by itself after a record.
        QCOMPARE(port->writes().size(), 2);
    }

    void emptyPollWaitsAndPollsAgain()
    {
        board->status(0x77, '0');
        board->answer(0x78, {TMemoryPort::answerFrame(0x78, QByteArray()),
                             TMemoryPort::answerFrame(0x78, hex("0a0b"))});
        thread->postTrace(1);
        QVERIFY(finish());
        QCOMPARE(commands(), (QList<quint8>{0x77, 0x78, 0x78}));
        QCOMPARE(outcome(), (QStringList{"sleep 15000", "traceRdy 020a0b"}));
        // The pause lies between the two polls.
        const QStringList all = events();
        const int pause = all.indexOf("sleep 15000");
        QCOMPARE(all.mid(pause - 2, 2), (QStringList{"recvMax 5", "recvCnt 5"}));
        QCOMPARE(all.value(pause + 1), QString("sendMax 9"));
    }

    void traceOffDuringPause()
    {
        board->status(0x77, '0');
        board->answer(0x78, {TMemoryPort::answerFrame(0x78, QByteArray())});
        TThread *t = thread.get();
        onSleep = [t](int ms) {
            if (ms == 15000)
                t->postTrace(0);
        };
        thread->postTrace(3);
        QVERIFY(finish());
        // The trace-off runs before the poll posted after the pause, which then does nothing.
        QCOMPARE(commands(), (QList<quint8>{0x77, 0x78, 0x77}));
        QCOMPARE(frames().last(), TMemoryPort::requestFrame(0x77, hex("00")));
        QCOMPARE(outcome(), QStringList{"sleep 15000"});
    }

    void traceFailures()
    {
        board->status(0x77, '2');
        thread->postTrace(1);
        QVERIFY(finish());
        QCOMPARE(outcome(),
                 (QStringList{"traceErr", "mes Ошибка, выполнения команды адаптером Q-275"}));
        QCOMPARE(commands(), QList<quint8>{0x77}); // no poll after a refusal

        init();
        board->status(0x77, '0');
        board->answer(0x78, {TMemoryPort::answerFrame(0x73, hex("09"))});
        thread->postTrace(1);
        QVERIFY(finish());
        QCOMPARE(outcome(),
                 (QStringList{"mes Ошибка, код ответа опциональной платы: 0x9", "traceErr"}));

        // A poll while tracing is off does nothing at all.
        init();
        thread->postTracePoll();
        QVERIFY(finish());
        QVERIFY(frames().isEmpty());
        QVERIFY(events().isEmpty());
    }

    void tracePauseEndsOnStop()
    {
        // The real pause, not the injected one: closing must not wait 15 s.
        thread->setSleepFunction(nullptr);
        board->status(0x77, '0');
        board->answer(0x78, {TMemoryPort::answerFrame(0x78, QByteArray())});
        thread->postTrace(1);
        QTRY_COMPARE_WITH_TIMEOUT(port->writes().size(), 2, 5000);
        QTest::qWait(100);
        QVERIFY(thread->isRunning());
        QElapsedTimer timer;
        timer.start();
        thread->requestStop();
        QVERIFY(thread->wait(5000));
        QVERIFY2(timer.elapsed() < 2000, qPrintable(QString::number(timer.elapsed())));
        QCOMPARE(port->writes().size(), 2);
    }

    // ------------------------------------------ board data, codec, control

    void boardDataWrite()
    {
        const QByteArray info = counting(22, 0x50);
        board->status(0x81, '0');
        thread->postInfo(reinterpret_cast<const quint8 *>(info.constData()), 22);
        QVERIFY(finish());
        QCOMPARE(outcome(), QStringList{"mes Процесс загрузки информации выполнен"});
        QCOMPARE(frames().value(0), TMemoryPort::requestFrame(0x81, info));
        QCOMPARE(events().mid(0, 2), (QStringList{"sendMax 31", "sendCnt 31"}));
        quint8 got[22];
        thread->getInfo(got);
        QCOMPARE(bytes(got, 22), info);

        // Refused: the status line, the record stays.
        init();
        board->status(0x81, '1');
        thread->postInfo(reinterpret_cast<const quint8 *>(counting(22, 1).constData()), 22);
        QVERIFY(finish());
        QCOMPARE(outcome(),
                 QStringList{"mes Ошибка, контрольной суммы в пакете принятом адаптером Q-275"});
        thread->getInfo(got);
        QCOMPARE(bytes(got, 22), QByteArray(22, '\0'));

        // Link failure: nothing at all.
        init();
        port->setOpenFails(true);
        thread->postInfo(reinterpret_cast<const quint8 *>(info.constData()), 22);
        QVERIFY(finish());
        QVERIFY(events().isEmpty());
    }

    void codecAndControl()
    {
        board->status(0x82, '0');
        board->status(0x83, '0');
        board->status(0x84, '2');
        const quint8 pair[] = {22, 120};
        const quint8 flags = 0x5A;
        thread->postCodec(pair, 1);
        thread->postRxCtl(&flags);
        thread->postMicCtl(&flags);
        QVERIFY(finish());
        QCOMPARE(frames(), (QList<QByteArray>{TMemoryPort::requestFrame(0x82, hex("011678")),
                                              TMemoryPort::requestFrame(0x83, hex("5a")),
                                              TMemoryPort::requestFrame(0x84, hex("5a"))}));
        QCOMPARE(outcome(), (QStringList{"mes Передача команд кодека выполнена успешно",
                                         "mes Передача команд управления выполнена успешно",
                                         "mes Ошибка, выполнения команды адаптером Q-275"}));
        QCOMPARE(events().mid(0, 2), (QStringList{"sendMax 12", "sendCnt 12"}));
    }

    void codecAndControlFailures()
    {
        port->setOpenFails(true);
        const quint8 pairs[22] = {};
        const quint8 flags = 1;
        thread->postCodec(pairs, 11);
        thread->postRxCtl(&flags);
        thread->postMicCtl(&flags);
        QVERIFY(finish());
        QCOMPARE(outcome(),
                 (QStringList{"mes Ошибка в передаче команд кодека",
                              "mes Ошибка в передаче команд управления канала приемника",
                              "mes Ошибка в передаче команд управления канала микрофона"}));
    }

    void oversizedTasksAreRefused()
    {
        board->status(0x82, '0');
        board->status(0x74, '0');
        QByteArray pairs(2 * 124, '\x01');
        thread->postCodec(reinterpret_cast<const quint8 *>(pairs.constData()), 124);
        const QByteArray big(248, '\x02');
        thread->postTest(reinterpret_cast<const quint8 *>(big.constData()), 248);
        thread->postCodec(reinterpret_cast<const quint8 *>(pairs.constData()), 123); // 247 bytes
        QVERIFY(finish());
        const QStringList out = outcome();
        QCOMPARE(out.size(), 5);
        QVERIFY(out[0].startsWith("mes Команда 0x82 не передана"));
        QCOMPARE(out[1], QString("mes Ошибка в передаче команд кодека"));
        QVERIFY(out[2].startsWith("mes Команда 0x74 не передана"));
        QCOMPARE(out[3], QString("testErr"));
        QCOMPARE(out[4], QString("mes Передача команд кодека выполнена успешно"));
        QCOMPARE(frames().size(), 1);
        QCOMPARE(frames()[0].size(), 256);
    }

    // ------------------------------------------------ the queue and thread

    void tasksRunInOrderOneAtATime()
    {
        thread->setMode(2);
        board->status(0x74, '0');
        board->status(0x75, '0');
        board->status(0x82, '0');
        const QByteArray cfg = counting(20, 0x30);
        const quint8 pair[] = {1, 2};
        thread->postTest(reinterpret_cast<const quint8 *>(cfg.constData()), 20);
        thread->postSave(reinterpret_cast<const quint8 *>(cfg.constData()), 20);
        thread->postCodec(pair, 1);
        QVERIFY(finish());
        QStringList plain;
        for (const QString &e : outcome()) {
            if (!e.startsWith("mes Txd") && !e.startsWith("mes Rxd"))
                plain << e;
        }
        QCOMPARE(plain, (QStringList{"mes Открыт порт ttyT", "mes Закрыт порт ttyT", "testStp",
                                     "mes Загрузка тестовой конфигурации выполнена",
                                     "mes Открыт порт ttyT", "mes Закрыт порт ttyT", "saveStp",
                                     "mes Процесс загрузки конфигурации выполнен",
                                     "mes Открыт порт ttyT", "mes Закрыт порт ttyT",
                                     "mes Передача команд кодека выполнена успешно"}));
        QStringList openClose;
        for (const QString &e : port->events()) {
            if (e.startsWith("open") || e == "close")
                openClose << e;
        }
        QCOMPARE(openClose,
                 (QStringList{"open ttyT", "close", "open ttyT", "close", "open ttyT", "close"}));
    }

    void idleThreadStartsAndEnds()
    {
        QVERIFY(!thread->isRunning());
        board->status(0x83, '0');
        const quint8 flags = 1;
        thread->postRxCtl(&flags);
        QVERIFY(finish());
        QVERIFY(!thread->isRunning());
        QCOMPARE(frames().size(), 1);
        // A later post starts it again.
        thread->setPort("ttyU");
        thread->postRxCtl(&flags);
        QVERIFY(finish());
        QCOMPARE(frames().size(), 2);
        QCOMPARE(port->events().filter("open"), (QStringList{"open ttyT", "open ttyU"}));
        QCOMPARE(lines().count("Передача команд управления выполнена успешно"), 2);
    }

    void restartUnderLoadFromTwoThreads()
    {
        board->status(0x81, '0');
        auto line = port;
        thread->setPortFactory([line] { return std::make_shared<SlowEndPort>(line); });
        std::atomic<int> starts{0};
        connect(
            thread.get(), &QThread::started, thread.get(), [&starts] { ++starts; },
            Qt::DirectConnection);
        enum { PerPoster = 150 };
        TThread *t = thread.get();
        auto poster = [t](int id) {
            for (int i = 0; i < PerPoster; ++i) {
                quint8 info[22] = {};
                info[0] = quint8(id);
                info[1] = quint8(i >> 8);
                info[2] = quint8(i);
                t->postInfo(info, 22);
                // Let the queue run dry now and then, so that the worker
                // keeps ending while the other poster is posting.
                if (i % 3 == 0)
                    QThread::usleep(quint64((i * 37 + id * 101) % 400));
                if (id == 1 && i % 25 == 0) {
                    QDeadlineTimer limit(5000);
                    while (t->isRunning() && !limit.hasExpired())
                        QThread::usleep(50);
                }
            }
        };
        std::thread a(poster, 1);
        std::thread b(poster, 2);
        a.join();
        b.join();
        QTRY_COMPARE_WITH_TIMEOUT(port->writes().size(), 2 * int(PerPoster), 20000);
        QVERIFY(finish());
        QTRY_VERIFY(!thread->isRunning());
        // Every task ran once, each poster's in its own order.
        int next[3] = {0, 0, 0};
        for (const QByteArray &f : frames()) {
            const int id = quint8(f[7]);
            const int i = quint8(f[8]) << 8 | quint8(f[9]);
            QVERIFY(id == 1 || id == 2);
            QCOMPARE(i, next[id]);
            ++next[id];
        }
        QCOMPARE(next[1], int(PerPoster));
        QCOMPARE(next[2], int(PerPoster));
        QCOMPARE(lines().count("Процесс загрузки информации выполнен"), 2 * int(PerPoster));
        QVERIFY2(starts >= 2, qPrintable(QString::number(starts)));
    }

    void stopDuringTransaction()
    {
        board->status(0x74, '0');
        board->status(0x75, '0');
        QSemaphore entered, release;
        port->setResponder([this, &entered, &release](const QByteArray &w) {
            entered.release();
            release.tryAcquire(1, 10000);
            return TMemoryPort::rib(board->function())(w);
        });
        const QByteArray cfg = counting(20, 0x30);
        thread->postTest(reinterpret_cast<const quint8 *>(cfg.constData()), 20);
        thread->postSave(reinterpret_cast<const quint8 *>(cfg.constData()), 20);
        thread->postRead();
        QVERIFY(entered.tryAcquire(1, 10000));
        QElapsedTimer timer;
        timer.start();
        thread->requestStop();
        std::thread releaser([&release] {
            QThread::msleep(200);
            release.release();
        });
        QVERIFY(thread->wait(10000));
        const qint64 waited = timer.elapsed();
        releaser.join();
        // The wait ended only after the running task had finished...
        QVERIFY2(waited >= 150, qPrintable(QString::number(waited)));
        QCOMPARE(outcome(),
                 (QStringList{"testStp", "mes Загрузка тестовой конфигурации выполнена"}));
        // ...and the queued tasks were dropped.
        QCOMPARE(commands(), QList<quint8>{0x74});
        QVERIFY(!port->isOpen());
        // Nothing runs after the stop.
        thread->postRead();
        QVERIFY(!thread->isRunning());
        QCOMPARE(commands(), QList<quint8>{0x74});
    }

    // -------------------------------------------- pointer hand-over

    void queuedPointersStayValid()
    {
        // The slots run in this thread, after the worker has produced
        // several records: each must still see its own.
        QList<QByteArray> cfgs, traces;
        connect(thread.get(), &TThread::readCfg, this,
                [&cfgs](TQ275 *c) { cfgs << bytes(c->bytes(), 20); });
        connect(thread.get(), &TThread::traceRdy, this,
                [&traces](quint8 *r) { traces << bytes(r, r[0] + 1); });
        board->answer(0x79, {TMemoryPort::answerFrame(0x73, hex("01"))});
        board->answer(0x76, {TMemoryPort::answerFrame(0x76, counting(20, 0x10)),
                             TMemoryPort::answerFrame(0x76, counting(20, 0x60))});
        board->status(0x77, '0');
        board->answer(0x78, {TMemoryPort::answerFrame(0x78, hex("010203")),
                             TMemoryPort::answerFrame(0x78, hex("0405")),
                             TMemoryPort::answerFrame(0x78, hex("06"))});
        thread->postRead();
        thread->postRead();
        thread->postTrace(1); // posts the first poll itself, after these two
        thread->postTracePoll();
        thread->postTracePoll();
        QVERIFY(finish());
        QVERIFY(cfgs.isEmpty()); // nothing delivered yet
        QCoreApplication::processEvents();
        QCOMPARE(cfgs, (QList<QByteArray>{counting(20, 0x10), counting(20, 0x60)}));
        QCOMPARE(traces, (QList<QByteArray>{hex("03010203"), hex("020405"), hex("0106")}));
    }
};

QTEST_GUILESS_MAIN(LinkThreadTest)
#include "tst_linkthread.moc"
