// The real serial port class on a pseudo-terminal: opening, exclusive use
// under any name of the device, reads bounded by the time-out, writes, and a
// line that goes away.
#include <QtTest>

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <fcntl.h>
#include <stdlib.h>
#include <thread>
#include <unistd.h>

#include "tserialport.h"

class SerialPortTest : public QObject
{
    Q_OBJECT

private:
    int master = -1;
    QString slave;

    QByteArray drainMaster(int want, int ms = 1000)
    {
        QByteArray got;
        QElapsedTimer t;
        t.start();
        while (got.size() < want && t.elapsed() < ms) {
            char buf[256];
            const ssize_t r = ::read(master, buf, sizeof buf);
            if (r > 0)
                got.append(buf, int(r));
            else
                QThread::msleep(2);
        }
        return got;
    }
    void toMaster(const QByteArray &b)
    {
        QCOMPARE(::write(master, b.constData(), b.size()), ssize_t(b.size()));
    }

private slots:
    void init()
    {
        master = posix_openpt(O_RDWR | O_NOCTTY);
        QVERIFY(master >= 0);
        QVERIFY(grantpt(master) == 0);
        QVERIFY(unlockpt(master) == 0);
        slave = QString::fromLocal8Bit(ptsname(master));
        fcntl(master, F_SETFL, fcntl(master, F_GETFL) | O_NONBLOCK);
    }
    void cleanup()
    {
        if (master >= 0)
            ::close(master);
        master = -1;
    }

    void openAndConfigure()
    {
        TSerialPort port;
        QVERIFY(!port.isOpen());
        QVERIFY(!port.setTimeouts(250, 2500)); // nothing open yet
        QVERIFY(port.open(slave));
        QVERIFY(port.isOpen());
        QVERIFY(port.setTimeouts(250, 2500));
        QCOMPARE(port.configure(), 0);
        port.close();
        QVERIFY(!port.isOpen());
        QVERIFY(port.open(slave)); // free again after closing
    }

    void staleInputIsDropped()
    {
        // Another holder of the device keeps the line alive between our openings, as the
        // RIB's own side does; bytes that come in while we are closed are not ours.
        const int keeper = ::open(slave.toLocal8Bit().constData(), O_RDWR | O_NOCTTY);
        QVERIFY(keeper >= 0);
        TSerialPort port;
        QVERIFY(port.open(slave));
        QCOMPARE(port.configure(), 0);
        port.close();
        toMaster(QByteArray("\x50\xFF\x8F", 3));
        QThread::msleep(20);
        QVERIFY(port.open(slave));
        QCOMPARE(port.configure(), 0);
        QVERIFY(port.setTimeouts(250, 2500));
        quint8 buf[8];
        QCOMPARE(port.read(buf, 3), qint64(0));
        toMaster(QByteArray("\x60", 1));
        QCOMPARE(port.read(buf, 1), qint64(1));
        QCOMPARE(buf[0], quint8(0x60));
        port.close();
        ::close(keeper);
    }

    void absentPort()
    {
        TSerialPort port;
        QVERIFY(!port.open(QString()));
        QVERIFY(!port.open("/dev/q275-no-such-port"));
        QVERIFY(!port.isOpen());
        quint8 b;
        QCOMPARE(port.read(&b, 1), qint64(-1));
        QCOMPARE(port.write(&b, 1), qint64(-1));
    }

    void exclusiveUnderEveryName()
    {
        QTemporaryDir dir;
        const QString link = dir.filePath("rib");
        QVERIFY(QFile::link(slave, link));
        QCOMPARE(TSerialPort::devicePath(link), slave);
        QCOMPARE(TSerialPort::devicePath("ttyUSB0"), QString("ttyUSB0"));
        QCOMPARE(TSerialPort::devicePath(dir.filePath("none")), QString());

        TSerialPort first, second;
        QVERIFY(first.open(slave));
        QVERIFY(!second.open(slave));
        QVERIFY(!second.open(link));
        first.close();
        QVERIFY(second.open(link));
        QVERIFY(!first.open(slave));
    }

    void readsAndWrites()
    {
        TSerialPort port;
        QVERIFY(port.open(slave));
        QVERIFY(port.setTimeouts(250, 2500));
        QCOMPARE(port.configure(), 0);

        // Every byte value goes out unchanged.
        const QByteArray frame = QByteArray::fromHex("ff2f000544027941cc0d0a1311");
        QCOMPARE(port.write(reinterpret_cast<const quint8 *>(frame.constData()), frame.size()),
                 qint64(frame.size()));
        QCOMPARE(drainMaster(frame.size()), frame);

        // A read returns as soon as the asked count is there...
        toMaster(QByteArray::fromHex("ff8f0005"));
        quint8 buf[16] = {};
        QElapsedTimer t;
        t.start();
        QCOMPARE(port.read(buf, 4), qint64(4));
        QVERIFY2(t.elapsed() < 200, qPrintable(QString::number(t.elapsed())));
        QCOMPARE(QByteArray(reinterpret_cast<char *>(buf), 4), QByteArray::fromHex("ff8f0005"));

        // ...with what came when the time-out has passed...
        toMaster(QByteArray::fromHex("430278"));
        t.restart();
        QCOMPARE(port.read(buf, 10), qint64(3));
        QVERIFY2(t.elapsed() >= 200 && t.elapsed() < 900, qPrintable(QString::number(t.elapsed())));
        QCOMPARE(QByteArray(reinterpret_cast<char *>(buf), 3), QByteArray::fromHex("430278"));

        // ...and with nothing after the time-out.
        t.restart();
        QCOMPARE(port.read(buf, 1), qint64(0));
        QVERIFY2(t.elapsed() >= 200 && t.elapsed() < 900, qPrintable(QString::number(t.elapsed())));

        // Bytes that arrive in pieces are collected within one read.
        QVERIFY(port.setTimeouts(1000, 2500));
        std::thread sender([this] {
            QThread::msleep(50);
            (void)!::write(master, "\x01\x02", 2);
            QThread::msleep(80);
            (void)!::write(master, "\x03\x04\x05", 3);
        });
        t.restart();
        const qint64 got = port.read(buf, 5);
        sender.join();
        QCOMPARE(got, qint64(5));
        QVERIFY2(t.elapsed() < 800, qPrintable(QString::number(t.elapsed())));
        QCOMPARE(QByteArray(reinterpret_cast<char *>(buf), 5), QByteArray::fromHex("0102030405"));
    }

    void lineGoesAway()
    {
        TSerialPort port;
        QVERIFY(port.open(slave));
        QVERIFY(port.setTimeouts(1000, 2500));
        QCOMPARE(port.configure(), 0);
        ::close(master);
        master = -1;
        // A hang-up fails the read at once instead of being waited on.
        quint8 buf[4];
        QElapsedTimer t;
        t.start();
        QCOMPARE(port.read(buf, 4), qint64(-1));
        QVERIFY2(t.elapsed() < 900, qPrintable(QString::number(t.elapsed())));
        port.close();
        QVERIFY(!port.isOpen());
    }
};

QTEST_GUILESS_MAIN(SerialPortTest)
#include "tst_serialport.moc"
