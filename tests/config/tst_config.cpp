#include <QtTest>

#include "obdfile.h"
#include "tq275.h"

namespace
{
const quint8 kNewRecord[20] = {0x0F, 0x04, 0x00, 0x73, 0x64, 0x8F, 0x41, 0x80, 0x00, 0x00,
                               0x16, 0x73, 0x64, 0x8F, 0x41, 0x80, 0x00, 0x00, 0x00, 0xE3};

TQ275 record(const quint8 *b)
{
    TQ275 r;
    memcpy(r.bytes(), b, TQ275::Size);
    return r;
}

QByteArray hex(const char *spaced)
{
    return QByteArray::fromHex(QByteArray(spaced).replace(' ', ""));
}
} // namespace

class TestConfig : public QObject
{
    Q_OBJECT

private slots:
    void recordLayout();
    void checksum();
    void validation_data();
    void validation();
    void partialCopies();
    void fileImage();
    void parseRefusesWrongSize_data();
    void parseRefusesWrongSize();
    void parseHeaderChecksum();
    void parseIgnoresBody();
};

void TestConfig::recordLayout()
{
    TQ275 r = record(kNewRecord);
    QCOMPARE(sizeof(TQ275), size_t(20));
    QCOMPARE(r.switching, quint8(0x0F));
    QCOMPARE(r.rx[0], quint8(0x04));
    QCOMPARE(r.rx[7], quint8(0x00));
    QCOMPARE(r.mic[1], quint8(0x16));
    QCOMPARE(r.mic[6], quint8(0x80));
    QCOMPARE(r.infoFlag, quint8(0));
    QCOMPARE(r.checksum, quint8(0xE3));
    QCOMPARE(reinterpret_cast<const quint8 *>(&r.mic[0]) - r.bytes(), ptrdiff_t(9));
    QCOMPARE(reinterpret_cast<const quint8 *>(&r.infoFlag) - r.bytes(), ptrdiff_t(17));
}

void TestConfig::checksum()
{
    TQ275 r = record(kNewRecord);
    r.checksum = 0;
    QCOMPARE(r.computeChecksum(), quint8(0xE3));
    r.updateChecksum();
    QCOMPARE(r.checksum, quint8(0xE3));

    // The checksum wraps: all 0xFF in bytes 0-18 gives 0x5A - 19*0xFF = 0x6D (mod 256).
    memset(r.bytes(), 0xFF, TQ275::Size);
    r.updateChecksum();
    QCOMPARE(r.checksum, quint8(0x6D));
    QVERIFY(r.isValid());

    memset(r.bytes(), 0, TQ275::Size);
    r.updateChecksum();
    QCOMPARE(r.checksum, quint8(0x5A));
}

void TestConfig::validation_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<int>("delta");
    for (int i = 0; i < 20; ++i)
        QTest::addRow("byte %d +1", i) << i << 1;
    QTest::addRow("byte 0 +0x80") << 0 << 0x80;
    QTest::addRow("byte 19 -1") << 19 << -1;
}

void TestConfig::validation()
{
    QFETCH(int, index);
    QFETCH(int, delta);
    TQ275 r = record(kNewRecord);
    QVERIFY(r.isValid());
    r.bytes()[index] = quint8(r.bytes()[index] + delta);
    QVERIFY(!r.isValid());
}

void TestConfig::partialCopies()
{
    TQ275 src, dst;
    for (int i = 0; i < 20; ++i) {
        src.bytes()[i] = quint8(0xA0 + i);
        dst.bytes()[i] = quint8(i);
    }
    auto changed = [&](const TQ275 &r) {
        QList<int> idx;
        for (int i = 0; i < 20; ++i)
            if (r.bytes()[i] != quint8(i))
                idx << i;
        return idx;
    };
    TQ275 d = dst;
    TQ275::copyRxPart(d, src);
    QCOMPARE(changed(d), (QList<int>{0, 1, 2, 3, 4, 5, 6}));
    QCOMPARE(d.rx[5], quint8(0xA6));
    d = dst;
    TQ275::copyMicPart(d, src);
    QCOMPARE(changed(d), (QList<int>{0, 9, 10, 11, 12, 13, 14}));
    d = dst;
    TQ275::copyOutPart(d, src);
    QCOMPARE(changed(d), (QList<int>{7, 8, 15, 16}));
    QCOMPARE(d.mic[7], quint8(0xB0));
}

void TestConfig::fileImage()
{
    const QByteArray img = ObdFile::image(record(kNewRecord));
    QCOMPARE(img.size(), 822);
    QByteArray expected;
    expected += hex("30 34 30 30 30 00 03");
    expected += QByteArray(61, '\0');
    expected += char(0x63);
    expected +=
        QByteArray("Requires MOTOROLA Radio Service Software. COPYRIGHT 1996-1999 MOTOROLA");
    expected += '\0';
    expected += QByteArray(660, '\0');
    expected += hex("16 01");
    expected += QByteArray(reinterpret_cast<const char *>(kNewRecord), 20);
    QCOMPARE(expected.size(), 822);
    QCOMPARE(img.toHex(' '), expected.toHex(' '));
}

void TestConfig::parseRefusesWrongSize_data()
{
    QTest::addColumn<int>("size");
    QTest::newRow("empty") << 0;
    QTest::newRow("821") << 821;
    QTest::newRow("823") << 823;
    QTest::newRow("record only") << 20;
}

void TestConfig::parseRefusesWrongSize()
{
    QFETCH(int, size);
    QByteArray img = ObdFile::image(record(kNewRecord));
    img.resize(size, '\0');
    TQ275 untouched;
    memset(untouched.bytes(), 0x55, 20);
    QCOMPARE(ObdFile::parse(img, &untouched), ObdFile::WrongSize);
    QCOMPARE(QByteArray(reinterpret_cast<const char *>(untouched.bytes()), 20),
             QByteArray(20, 0x55));
}

void TestConfig::parseHeaderChecksum()
{
    const QByteArray good = ObdFile::image(record(kNewRecord));
    for (int i = 0; i <= 68; ++i) {
        QByteArray img = good;
        img[i] = char(img[i] ^ 0x01);
        TQ275 r;
        memset(r.bytes(), 0x55, 20);
        QCOMPARE(ObdFile::parse(img, &r), ObdFile::BadHeaderChecksum);
        QCOMPARE(r.bytes()[0], quint8(0x55));
    }
    // Two changes that cancel out keep the header sum: only the sum is examined.
    QByteArray img = good;
    img[1] = char(img[1] + 1);
    img[2] = char(img[2] - 1);
    TQ275 r;
    QCOMPARE(ObdFile::parse(img, &r), ObdFile::Ok);
}

void TestConfig::parseIgnoresBody()
{
    const QByteArray good = ObdFile::image(record(kNewRecord));
    for (int i = 69; i <= 801; ++i) {
        QByteArray img = good;
        img[i] = char(img[i] ^ 0x5A);
        TQ275 r;
        QCOMPARE(ObdFile::parse(img, &r), ObdFile::Ok);
        QCOMPARE(QByteArray(reinterpret_cast<const char *>(r.bytes()), 20),
                 QByteArray(reinterpret_cast<const char *>(kNewRecord), 20));
    }
    // A changed record byte is carried as it stands; the record's own checksum is
    // checked when the configuration is shown.
    QByteArray img = good;
    img[810] = char(img[810] + 1);
    TQ275 r;
    QCOMPARE(ObdFile::parse(img, &r), ObdFile::Ok);
    QVERIFY(!r.isValid());
}

QTEST_APPLESS_MAIN(TestConfig)
#include "tst_config.moc"
