// The port layer, the RIB transport and the setting commands, driven over an
// in-memory line with the pauses recorded instead of slept.
#include <QtTest>

#include <memory>

#include "tlink.h"
#include "tmemoryport.h"

namespace
{

QByteArray hex(const char *text)
{
    return QByteArray::fromHex(text);
}

QByteArray data18()
{
    QByteArray d;
    for (int i = 0; i < 18; ++i)
        d.append(char(0x10 + i));
    return d;
}

} // namespace

class TransportTest : public QObject
{
    Q_OBJECT

private:
    std::shared_ptr<TMemoryPort> port;
    std::unique_ptr<TLink> link;
    int mode = 1;
    QString name = QStringLiteral("ttyTEST");
    QStringList events; // "mes <text>", "sendMax 9", ..., "sleep 1000", in order
    QList<int> sleeps;

    QStringList lines() const
    {
        QStringList out;
        for (const QString &e : events) {
            if (e.startsWith(QLatin1String("mes ")))
                out << e.mid(4);
        }
        return out;
    }
    QStringList only(const QString &prefix) const
    {
        QStringList out;
        for (const QString &e : events) {
            if (e.startsWith(prefix))
                out << e;
        }
        return out;
    }
    // A RIB that echoes and acknowledges, then sends the frames in turn
    // (the last one again for any later request).
    void answerWith(const QList<QByteArray> &answers)
    {
        auto list = std::make_shared<QList<QByteArray>>(answers);
        port->setResponder(TMemoryPort::rib([list](quint8, const QByteArray &) {
            return list->size() > 1 ? list->takeFirst() : list->value(0);
        }));
    }

private slots:
    void init()
    {
        mode = 1;
        name = QStringLiteral("ttyTEST");
        events.clear();
        sleeps.clear();
        port = std::make_shared<TMemoryPort>();
        link = std::make_unique<TLink>();
        link->setDevice(port);
        link->setSettingsSource([this] { return mode; }, [this] { return name; });
        link->setSleepFunction([this](int ms) {
            sleeps << ms;
            events << QStringLiteral("sleep %1").arg(ms);
        });
        connect(link.get(), &TLink::mes, this, [this](const QString &t) { events << "mes " + t; });
        connect(link.get(), &TLink::sendMax, this,
                [this](quint32 v) { events << QStringLiteral("sendMax %1").arg(v); });
        connect(link.get(), &TLink::sendCnt, this,
                [this](quint32 v) { events << QStringLiteral("sendCnt %1").arg(v); });
        connect(link.get(), &TLink::recvMax, this,
                [this](qint32 v) { events << QStringLiteral("recvMax %1").arg(v); });
        connect(link.get(), &TLink::recvCnt, this,
                [this](qint32 v) { events << QStringLiteral("recvCnt %1").arg(v); });
    }

    // ------------------------------------------------------------- frames

    void requestFrames()
    {
        answerWith({TMemoryPort::answerFrame(0x79, data18())});
        QCOMPARE(link->transact(0x79, nullptr, 0, 18), qint8(1));
        QCOMPARE(port->writes().value(0), hex("ff2f000544027941cc"));

        port->clearRecord();
        answerWith({TMemoryPort::answerFrame(0x77, hex("30"))});
        const quint8 on = 0x01;
        QCOMPARE(link->transact(0x77, &on, 1, 1), qint8(1));
        QCOMPARE(port->writes().value(0), hex("ff2f00064403770141cb"));

        // One codec pair, register 22 and value 120: count byte, then the pair.
        port->clearRecord();
        answerWith({TMemoryPort::answerFrame(0x82, hex("30"))});
        const quint8 codec[] = {1, 22, 120};
        QCOMPARE(link->transact(0x82, codec, 3, 1), qint8(1));
        const QByteArray frame = port->writes().value(0);
        QCOMPARE(frame.size(), 12);
        QCOMPARE(frame.left(10), hex("ff2f0008440582011678"));
        quint8 packet = 0, all = 0;
        for (int i = 0; i < frame.size(); ++i) {
            all += quint8(frame[i]);
            if (i >= 4 && i <= 10)
                packet += quint8(frame[i]);
        }
        QCOMPARE(int(packet), 0);
        QCOMPARE(int(all), 0xFF);
        QCOMPARE(frame, TMemoryPort::requestFrame(0x82, hex("011678")));
    }

    void largestFrameAndRefusal()
    {
        // 247 data bytes make the largest frame, 256 bytes.
        QByteArray big(247, '\x5A');
        answerWith({TMemoryPort::answerFrame(0x82, hex("30"))});
        QCOMPARE(link->transact(0x82, reinterpret_cast<const quint8 *>(big.constData()), 247, 1),
                 qint8(1));
        QCOMPARE(port->writes().value(0).size(), 256);
        QCOMPARE(port->writes().value(0), TMemoryPort::requestFrame(0x82, big));
        QCOMPARE(only("sendMax"), QStringList{"sendMax 256"});
        link->closePort(0);

        // One byte more does not fit: refused with a line, nothing opened or sent.
        port->clearRecord();
        events.clear();
        big.append('\x01');
        QCOMPARE(link->transact(0x82, reinterpret_cast<const quint8 *>(big.constData()), 248, 1),
                 qint8(-1));
        QCOMPARE(port->written(), QByteArray());
        QCOMPARE(port->openCount(), 0);
        QCOMPARE(events.size(), 1);
        QVERIFY(events[0].startsWith("mes Команда 0x82 не передана"));
        QVERIFY(events[0].contains("248"));
    }

    // ------------------------------------------------------------ answers

    void answerAccepted()
    {
        port->setResponder([](const QByteArray &w) { return w + hex("50ff8f0005430278436c"); });
        QCOMPARE(link->transact(0x78, nullptr, 0, 0), qint8(1));
        QCOMPARE(link->answerDataLength(), 0);
        QCOMPARE(link->answerPacket()[2], quint8(0x78));
        QVERIFY(link->isPortOpen()); // the caller closes it
        QCOMPARE(events,
                 (QStringList{"sendMax 9", "sendCnt 9", "recvCnt 0", "recvMax 5", "recvCnt 5"}));
        // Echo at 250 ms, acknowledgement and frame start at 1000, the rest at 250.
        QCOMPARE(port->readTimeouts(), (QList<quint32>{250, 1000, 1000, 250, 250, 250, 250}));
    }

    void errorAnswer()
    {
        mode = 2;
        port->setResponder([](const QByteArray &w) { return w + hex("50ff8f000643037305426b"); });
        QCOMPARE(link->transact(0x76, nullptr, 0, 20), qint8(0));
        QVERIFY(!link->isPortOpen());
        QCOMPARE(port->writes().size(), 1);
        QVERIFY(sleeps.isEmpty());
        const QStringList l = lines();
        QCOMPARE(l.mid(l.size() - 2), (QStringList{"Ошибка, код ответа опциональной платы: 0x5",
                                                   "Закрыт порт ttyTEST"}));
        QVERIFY(!l.join('\n').contains("Повтор"));
    }

    void errorCodeInLowerCaseHex()
    {
        answerWith({TMemoryPort::answerFrame(0x73, hex("ab"))});
        QCOMPARE(link->transact(0x79, nullptr, 0, 18), qint8(0));
        QCOMPARE(lines(), QStringList{"Ошибка, код ответа опциональной платы: 0xab"});
    }

    void straysBeforeAcknowledgement()
    {
        // Noise, then a retransmission request: the frame goes out again.
        int writes = 0;
        const QByteArray answer = TMemoryPort::answerFrame(0x79, data18());
        port->setResponder([&writes, answer](const QByteArray &w) {
            ++writes;
            return writes == 1 ? w + hex("1122ff60") : w + hex("3350") + answer;
        });
        QCOMPARE(link->transact(0x79, nullptr, 0, 18), qint8(1));
        QCOMPARE(writes, 2);
        QCOMPARE(lines(),
                 (QStringList{"Запрос повторной передачи", "Повтор передачи - попытка=1"}));
        QCOMPARE(sleeps, QList<int>{250});
        // The pause comes before the retry line.
        const int s = events.indexOf("sleep 250");
        QCOMPARE(events.value(s + 1), QString("mes Повтор передачи - попытка=1"));
        QCOMPARE(QByteArray(reinterpret_cast<const char *>(link->answerData()), 18), data18());
    }

    void lengthOver128RestartsHunt()
    {
        const QByteArray good = TMemoryPort::answerFrame(0x79, data18());
        port->setResponder([good](const QByteArray &w) { return w + hex("50ff8f0081") + good; });
        QCOMPARE(link->transact(0x79, nullptr, 0, 18), qint8(1));
        QCOMPARE(only("recvMax"), QStringList{"recvMax 23"});
        QCOMPARE(only("recvCnt 0").size(), 2); // the hunt started twice
        QVERIFY(lines().isEmpty());
        QVERIFY(sleeps.isEmpty());
    }

    void repeatedFrameStartIsKept()
    {
        // A stray 0xFF right before the real frame start: the second 0xFF still starts
        // the frame, so the answer is taken on the first attempt.
        const QByteArray good = TMemoryPort::answerFrame(0x79, data18());
        port->setResponder([good](const QByteArray &w) { return w + hex("50ff") + good; });
        QCOMPARE(link->transact(0x79, nullptr, 0, 18), qint8(1));
        QCOMPARE(only("recvMax"), QStringList{"recvMax 23"});
        QVERIFY(lines().isEmpty());
        QVERIFY(sleeps.isEmpty());
        QCOMPARE(QByteArray(reinterpret_cast<const char *>(link->answerData()), 18), data18());
    }

    void endlessNoiseCountsAsTimeout()
    {
        // A line that never stops chattering must not hold the worker for ever: past the
        // noise limit the wait counts as a time-out and the attempt is retried.
        const QByteArray noise(TLink::NoiseLimit + 10, char(0x11));
        port->setResponder([noise](const QByteArray &w) { return w + noise; });
        QCOMPARE(link->transact(0x79, nullptr, 0, 18), qint8(-1));
        QCOMPARE(lines().count("Превышено время ожидания ACK"), 10);
        QCOMPARE(sleeps, QList<int>(9, 1000));

        // The same after the acknowledgement: the hunt gives up, only retry lines follow.
        events.clear();
        sleeps.clear();
        const QByteArray starts(TLink::NoiseLimit + 10, char(0xFF)); // every byte a false start
        port->setResponder([starts](const QByteArray &w) { return w + hex("50") + starts; });
        QCOMPARE(link->transact(0x79, nullptr, 0, 18), qint8(-1));
        QCOMPARE(lines().count(), 9);
        QCOMPARE(lines().last(), QString("Повтор передачи - попытка=9"));
        QVERIFY(only("recvMax").isEmpty());
    }

    void wrongIdentifierTenTimes()
    {
        mode = 2;
        answerWith({TMemoryPort::answerFrame(0x12, data18())});
        QCOMPARE(link->transact(0x79, nullptr, 0, 18), qint8(-1));
        QVERIFY(!link->isPortOpen());
        QCOMPARE(port->writes().size(), 10);
        QCOMPARE(sleeps, QList<int>(9, 1000));
        QStringList plain;
        for (const QString &l : lines()) {
            if (!l.startsWith("Txd") && !l.startsWith("Rxd") && !l.startsWith("Открыт") &&
                !l.startsWith("Закрыт"))
                plain << l;
        }
        QStringList expected;
        for (int i = 1; i <= 9; ++i)
            expected << "Ошибка идентификатора пакета опциональной платы: 18"
                     << QStringLiteral("Повтор передачи - попытка=%1").arg(i);
        expected << "Ошибка идентификатора пакета опциональной платы: 18";
        QCOMPARE(plain, expected);
        // The last attempt closes with code 0: no port-error line.
        QCOMPARE(lines().last(), QString("Закрыт порт ttyTEST"));
        QVERIFY(!lines().join('\n').contains("Ошибка порта"));
        QCOMPARE(port->openCount(), 10);
    }

    void ribNeverEchoes()
    {
        mode = 2;
        QCOMPARE(link->transact(0x79, nullptr, 0, 18), qint8(-1));
        QCOMPARE(lines(),
                 (QStringList{"Открыт порт ttyTEST",
                              "Txd=>0xFF; 0x2F; 0x00; 0x05; 0x44; 0x02; 0x79; 0x41; 0xCC; ",
                              "Ошибка соединения с MOTOROLA RIB", "Закрыт порт ttyTEST"}));
        QVERIFY(sleeps.isEmpty());
        QCOMPARE(port->writes().size(), 1);
        QCOMPARE(port->readTimeouts().size(), 9); // at most one read call per frame byte
    }

    void incompleteEchoAfterPartialBytes()
    {
        port->setResponder([](const QByteArray &w) { return w.left(5); });
        QCOMPARE(link->transact(0x80, nullptr, 0, 22), qint8(-1));
        QCOMPARE(lines(), QStringList{"Ошибка соединения с MOTOROLA RIB"});
    }

    void radioNeverAnswers()
    {
        port->setResponder([](const QByteArray &w) { return w + hex("50"); });
        QCOMPARE(link->transact(0x79, nullptr, 0, 18), qint8(-1));
        QStringList expected;
        for (int i = 1; i <= 9; ++i)
            expected << QStringLiteral("sleep 1000")
                     << QStringLiteral("mes Повтор передачи - попытка=%1").arg(i);
        QStringList seen;
        for (const QString &e : events) {
            if (e.startsWith("sleep") || e.startsWith("mes"))
                seen << e;
        }
        QCOMPARE(seen, expected);
        QCOMPARE(port->writes().size(), 10);
        QVERIFY(!link->isPortOpen());
    }

    void noAcknowledgement()
    {
        port->setResponder([](const QByteArray &w) { return w; });
        QCOMPARE(link->transact(0x79, nullptr, 0, 18), qint8(-1));
        QCOMPARE(lines().count("Превышено время ожидания ACK"), 10);
        QCOMPARE(sleeps, QList<int>(9, 1000));
        QCOMPARE(lines().last(), QString("Превышено время ожидания ACK"));
    }

    void echoDiffers()
    {
        int writes = 0;
        const QByteArray answer = TMemoryPort::answerFrame(0x79, data18());
        port->setResponder([&writes, answer](const QByteArray &w) {
            QByteArray echo = w;
            if (++writes == 1)
                echo[6] = char(0x7A);
            return echo + hex("50") + answer;
        });
        QCOMPARE(link->transact(0x79, nullptr, 0, 18), qint8(1));
        QCOMPARE(lines(), (QStringList{"Ошибка передачи данных через MOTOROLA RIB",
                                       "Повтор передачи - попытка=1"}));
        QCOMPARE(sleeps, QList<int>{1000});
    }

    void badAnswers_data()
    {
        QTest::addColumn<QByteArray>("bad");
        QTest::addColumn<int>("minData");
        QTest::addColumn<QString>("line");
        QByteArray frame = TMemoryPort::answerFrame(0x79, data18());
        QByteArray wrongFrameSum = frame;
        wrongFrameSum[frame.size() - 1] = char(wrongFrameSum[frame.size() - 1] + 1);
        QTest::newRow("frame checksum")
            << wrongFrameSum << 18 << "Ошибка приема данных от радиостанции: 11";
        QTest::newRow("body incomplete")
            << frame.left(12) << 18 << "Ошибка приема данных от радиостанции: 10";
        // Packet checksum wrong, frame checksum right.
        QByteArray wrongPacket = frame;
        wrongPacket[8] = char(wrongPacket[8] + 1);
        wrongPacket[frame.size() - 1] = char(wrongPacket[frame.size() - 1] - 1);
        QTest::newRow("packet checksum")
            << wrongPacket << 18 << "Ошибка приема данных от опциональной платы: 11";
        QByteArray notC = hex("ff8f000544027843") + QByteArray(1, char(0x6C + 1));
        notC[4] = char(0x42);
        QTest::newRow("no 0x43") << notC << 0 << "Ошибка приема данных от опциональной платы: 12";
        // A packet length byte over 64 (with both checksums right).
        QByteArray longPacket;
        {
            QByteArray p = hex("434179");
            quint8 s = 0x43 + 0x41 + 0x79;
            p.append(char(quint8(0x100 - s)));
            longPacket = hex("ff8f0005") + p;
            quint8 f = 0;
            for (char c : longPacket)
                f += quint8(c);
            longPacket.append(char(quint8(0xFF - f)));
        }
        QTest::newRow("packet over 64")
            << longPacket << 0 << "Ошибка приема данных от опциональной платы: 10";
        // A packet length byte under 2 leaves no room for an identifier.
        QByteArray noId = hex("ff8f0004"
                              "4301bc");
        {
            quint8 f = 0;
            for (char c : noId)
                f += quint8(c);
            noId.append(char(quint8(0xFF - f)));
        }
        QTest::newRow("packet length 1")
            << noId << 0 << "Ошибка приема данных от опциональной платы: 10";
        // Answers shorter than the command needs are receive errors.
        QTest::newRow("identity short") << TMemoryPort::answerFrame(0x79, data18().left(10)) << 18
                                        << "Ошибка приема данных от опциональной платы: 10";
        QTest::newRow("status missing") << TMemoryPort::answerFrame(0x79, QByteArray()) << 1
                                        << "Ошибка приема данных от опциональной платы: 10";
        QTest::newRow("error code missing") << TMemoryPort::answerFrame(0x73, QByteArray()) << 0
                                            << "Ошибка приема данных от опциональной платы: 10";
    }
    void badAnswers()
    {
        QFETCH(QByteArray, bad);
        QFETCH(int, minData);
        QFETCH(QString, line);
        const QByteArray good = TMemoryPort::answerFrame(0x79, data18());
        answerWith({bad, good});
        QCOMPARE(link->transact(0x79, nullptr, 0, minData), qint8(1));
        QCOMPARE(lines(), (QStringList{line, "Повтор передачи - попытка=1"}));
        QCOMPARE(sleeps, QList<int>{1000});
        QCOMPARE(QByteArray(reinterpret_cast<const char *>(link->answerData()), 18), data18());
    }

    void packetLongerThanFrame()
    {
        // The packet claims 18 data bytes but the frame carries only 4 of them:
        // the bytes past the frame were never sent and must not be taken.
        QByteArray p = hex("4314790102030405");
        QByteArray frame = hex("ff8f00") + QByteArray(1, char(p.size() + 1)) + p;
        quint8 f = 0;
        for (char c : frame)
            f += quint8(c);
        frame.append(char(quint8(0xFF - f)));
        answerWith({frame});
        QCOMPARE(link->transact(0x79, nullptr, 0, 0), qint8(-1));
        QCOMPARE(lines().count("Ошибка приема данных от опциональной платы: 10"), 10);
    }

    // ---------------------------------------------------------- port layer

    void secondOpenChangesNothing()
    {
        QCOMPARE(link->openPort(), qint8(0));
        QCOMPARE(link->setReadTimeout(1000), qint8(0));
        const QStringList before = port->events();
        QCOMPARE(link->openPort(), qint8(0));
        QCOMPARE(port->events(), before);
        QCOMPARE(link->readTimeout(), quint32(1000));
        QCOMPARE(before, (QStringList{"open ttyTEST", "timeouts 250 2500", "configure",
                                      "timeouts 1000 2500"}));
    }

    void closeWhenClosedLogsNothing()
    {
        mode = 2;
        link->closePort(-3);
        link->closePort(0);
        QVERIFY(events.isEmpty());
        QVERIFY(port->events().isEmpty());
    }

    void portFailures_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<int>("failure");
        QTest::addColumn<QStringList>("expected");
        const QStringList none;
        QTest::newRow("settings mode 2")
            << 2 << -6 << QStringList{"Ошибка порта ttyTEST: -6", "Закрыт порт ttyTEST"};
        QTest::newRow("settings mode 1") << 1 << -6 << none;
        QTest::newRow("settings mode 0") << 0 << -6 << none;
        QTest::newRow("state mode 2")
            << 2 << -5 << QStringList{"Ошибка порта ttyTEST: -5", "Закрыт порт ttyTEST"};
        QTest::newRow("timeouts mode 2")
            << 2 << -3 << QStringList{"Ошибка порта ttyTEST: -3", "Закрыт порт ttyTEST"};
        QTest::newRow("timeouts mode 1") << 1 << -3 << none;
        QTest::newRow("absent mode 2") << 2 << -4 << none;
    }
    void portFailures()
    {
        QFETCH(int, mode);
        QFETCH(int, failure);
        QFETCH(QStringList, expected);
        this->mode = mode;
        if (failure == -4)
            port->setOpenFails(true);
        else if (failure == -3)
            port->setTimeoutsFail(true);
        else
            port->setConfigureResult(failure);
        QCOMPARE(link->openPort(), qint8(failure));
        QCOMPARE(link->isPortOpen(), failure != -4);
        link->closePort(0);
        QVERIFY(!link->isPortOpen());

        // Through a transaction the port is closed with the failure code.
        init();
        this->mode = mode;
        if (failure == -4)
            port->setOpenFails(true);
        else if (failure == -3)
            port->setTimeoutsFail(true);
        else
            port->setConfigureResult(failure);
        QCOMPARE(link->transact(0x79, nullptr, 0, 18), qint8(-1));
        QCOMPARE(lines(), expected);
        QVERIFY(!link->isPortOpen());
        QVERIFY(port->written().isEmpty());
        QVERIFY(sleeps.isEmpty());
    }

    void emptyPortName()
    {
        mode = 2;
        name.clear();
        QCOMPARE(link->openPort(), qint8(-4));
        QVERIFY(events.isEmpty());
    }

    void writeAndReadFailures()
    {
        mode = 2;
        port->setWriteFails(true);
        QCOMPARE(link->transact(0x79, nullptr, 0, 18), qint8(-1));
        QCOMPARE(events, (QStringList{"mes Открыт порт ttyTEST", "sendMax 9",
                                      "mes Ошибка порта ttyTEST: -2", "mes Закрыт порт ttyTEST"}));

        // A short write reports what went out, then fails.
        init();
        mode = 2;
        port->setWriteLimit(5);
        QCOMPARE(link->transact(0x79, nullptr, 0, 18), qint8(-1));
        QCOMPARE(events, (QStringList{"mes Открыт порт ttyTEST", "sendMax 9", "sendCnt 5",
                                      "mes Ошибка порта ttyTEST: -2", "mes Закрыт порт ttyTEST"}));

        // A failed read ends the transaction at once, without a retry.
        init();
        mode = 2;
        port->setReadFails(true);
        QCOMPARE(link->transact(0x79, nullptr, 0, 18), qint8(-1));
        QCOMPARE(lines().mid(2), (QStringList{"Ошибка порта ttyTEST: -1", "Закрыт порт ttyTEST"}));
        QCOMPARE(port->readTimeouts().size(), 1);
    }

    void dumpFormat()
    {
        mode = 2;
        const quint8 frame[] = {0xFF, 0x2F, 0x00, 0x05};
        link->dump("Txd", frame, 4);
        const quint8 small[] = {0x0A, 0xA0};
        link->dump("Rxd", small, 2);
        link->dump("Rxd", small, 0);
        QCOMPARE(lines(), (QStringList{"Txd=>0xFF; 0x2F; 0x00; 0x05; ", "Rxd=>0x0A; 0xA0; "}));
        mode = 1;
        link->dump("Txd", frame, 4);
        QCOMPARE(lines().size(), 2);
    }

    void serviceModeLog()
    {
        mode = 2;
        port->setResponder([](const QByteArray &w) { return w + hex("50ff8f0005430278436c"); });
        QCOMPARE(link->transact(0x78, nullptr, 0, 0), qint8(1));
        link->closePort(0);
        QCOMPARE(
            lines(),
            (QStringList{"Открыт порт ttyTEST",
                         "Txd=>0xFF; 0x2F; 0x00; 0x05; 0x44; 0x02; 0x78; 0x42; 0xCC; ",
                         "Rxd=>0xFF; 0x2F; 0x00; 0x05; 0x44; 0x02; 0x78; 0x42; 0xCC; ",
                         "Rxd=>0x50; ", "Rxd=>0xFF; ", "Rxd=>0x8F; ", "Rxd=>0x00; ", "Rxd=>0x05; ",
                         "Rxd=>0x43; 0x02; 0x78; 0x43; 0x6C; ", "Закрыт порт ttyTEST"}));
    }

    void nameChangeAtNextOpening()
    {
        mode = 2;
        QCOMPARE(link->openPort(), qint8(0));
        name = "ttyOTHER";
        link->closePort(0);
        QCOMPARE(link->openPort(), qint8(0));
        link->closePort(0);
        QCOMPARE(lines(), (QStringList{"Открыт порт ttyTEST", "Закрыт порт ttyTEST",
                                       "Открыт порт ttyOTHER", "Закрыт порт ttyOTHER"}));
    }

    // ------------------------------------------------------------ commands

    void settingStatus_data()
    {
        QTest::addColumn<QByteArray>("status");
        QTest::addColumn<int>("result");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("0") << hex("30") << int(TLink::StatusOk) << QStringList();
        QTest::newRow("1") << hex("31") << int(TLink::StatusChecksum)
                           << QStringList{
                                  "Ошибка, контрольной суммы в пакете принятом адаптером Q-275"};
        QTest::newRow("2") << hex("32") << int(TLink::StatusFailed)
                           << QStringList{"Ошибка, выполнения команды адаптером Q-275"};
        QTest::newRow("3") << hex("33") << int(TLink::StatusUnknown)
                           << QStringList{"Команда на поддерживается версией адаптера Q-275"};
        QTest::newRow("binary 0") << hex("00") << int(TLink::StatusUnknown)
                                  << QStringList{
                                         "Команда на поддерживается версией адаптера Q-275"};
    }
    void settingStatus()
    {
        QFETCH(QByteArray, status);
        QFETCH(int, result);
        QFETCH(QStringList, expected);
        answerWith({TMemoryPort::answerFrame(0x83, status)});
        const quint8 flags = 0x21;
        const TLink::Status st = link->sendSetting(0x83, &flags, 1);
        QCOMPARE(int(st), result);
        QVERIFY(!link->isPortOpen()); // closed whatever the status
        QVERIFY(lines().isEmpty());   // the caller logs after its signal
        link->reportStatus(st);
        QCOMPARE(lines(), expected);
        QCOMPARE(port->writes().value(0), TMemoryPort::requestFrame(0x83, hex("21")));
    }

    void settingLinkFailure()
    {
        port->setOpenFails(true);
        const quint8 flags = 0;
        QCOMPARE(int(link->sendSetting(0x84, &flags, 1)), int(TLink::LinkFailed));
        link->reportStatus(TLink::LinkFailed);
        QVERIFY(lines().isEmpty());
        // An error answer is a link failure for a setting command as well.
        init();
        answerWith({TMemoryPort::answerFrame(0x73, hex("07"))});
        QCOMPARE(int(link->sendSetting(0x84, &flags, 1)), int(TLink::LinkFailed));
        QCOMPARE(lines(), QStringList{"Ошибка, код ответа опциональной платы: 0x7"});
    }
};

QTEST_GUILESS_MAIN(TransportTest)
#include "tst_transport.moc"
