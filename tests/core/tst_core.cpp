// The configuration record, the .obd file image and the level scales: pure functions,
// checked byte for byte and text for text.
#include <QtTest>

#include <cstring>

#include "obdfile.h"
#include "testkit.h"
#include "tq275.h"
#include "tscale.h"

class TstCore : public QObject
{
    Q_OBJECT

    static TQ275 record(const QByteArray &b) { return *reinterpret_cast<const TQ275 *>(b.data()); }
    static QByteArray raw(const TQ275 &r) { return bytes(r.bytes(), TQ275::Size); }
    // b with the (index, value) pairs written into it.
    static QByteArray changed(QByteArray b, std::initializer_list<std::pair<int, int>> edits)
    {
        for (const auto &e : edits)
            b[e.first] = char(e.second);
        return b;
    }

private slots:
    void checksum_data()
    {
        QTest::addColumn<QByteArray>("cfg");
        QTest::addColumn<int>("sum"); // checksum of bytes 0-18
        QTest::addColumn<bool>("valid");
        QTest::newRow("new record") << newRecord() << 0xE3 << true;
        QTest::newRow("all 0xFF wraps") << QByteArray(20, '\xFF') << 0x6D << false;
        QTest::newRow("cancelling") << changed(newRecord(), {{1, 5}, {2, 0xFF}}) << 0xE3 << true;
        for (int i = 0; i < 20; ++i)
            QTest::addRow("byte %d + 1", i) << changed(newRecord(), {{i, newRecord()[i] + 1}})
                                            << (i < 19 ? 0xE2 : 0xE3) << false;
    }
    void checksum()
    {
        QFETCH(QByteArray, cfg);
        QFETCH(int, sum);
        TQ275 r = record(cfg);
        QCOMPARE(int(r.computeChecksum()), sum);
        QTEST(r.isValid(), "valid");
        r.updateChecksum();
        QCOMPARE(raw(r), changed(cfg, {{19, sum}}));
    }

    // Copies from a record holding A0..B3 into one holding 00..13.
    void partialCopies_data()
    {
        QTest::addColumn<int>("part");
        QTest::addColumn<QByteArray>("result");
        QTest::newRow("receiver") << 0 << hex("A0A1A2A3A4A5A6 0708 090A0B0C0D0E0F10111213");
        QTest::newRow("microphone") << 1 << hex("A00102030405060708 A9AAABACADAE 0F10111213");
        QTest::newRow("outputs") << 2 << hex("00010203040506 A7A8 090A0B0C0D0E AFB0 111213");
    }
    void partialCopies()
    {
        QFETCH(int, part);
        TQ275 src = record(hex("A0A1A2A3A4A5A6A7A8A9AAABACADAEAFB0B1B2B3"));
        TQ275 dst = record(hex("000102030405060708090A0B0C0D0E0F10111213"));
        void (*copy[])(TQ275 &, const TQ275 &) = {TQ275::copyRxPart, TQ275::copyMicPart,
                                                  TQ275::copyOutPart};
        copy[part](dst, src);
        QTEST(raw(dst), "result");
    }

    void fileImage()
    {
        QByteArray want = hex("30343030300003") + QByteArray(61, '\0') + hex("63");
        want += "Requires MOTOROLA Radio Service Software. COPYRIGHT 1996-1999 MOTOROLA";
        want += QByteArray(661, '\0') + hex("1601") + newRecord();
        QCOMPARE(ObdFile::image(record(newRecord())).toHex(' '), want.toHex(' '));
    }

    void parse_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<int>("result");
        QTest::addColumn<QByteArray>("cfg"); // the record afterwards; it starts as 20 x 0x55
        const QByteArray good = ObdFile::image(record(otherRecord()));
        const QByteArray untouched(20, 0x55);
        QTest::newRow("good") << good << int(ObdFile::Ok) << otherRecord();
        QTest::newRow("821 bytes") << good.left(821) << int(ObdFile::WrongSize) << untouched;
        QTest::newRow("823 bytes") << good + '\0' << int(ObdFile::WrongSize) << untouched;
        QTest::newRow("header sum kept")
            << changed(good, {{1, 0x35}, {2, 0x2F}}) << int(ObdFile::Ok) << otherRecord();
        // The header (0-68) is checked by its sum; the rest and the record are taken as they stand.
        for (int i = 0; i < ObdFile::Size; ++i) {
            const QByteArray f = changed(good, {{i, good[i] ^ 0x21}});
            QTest::addRow("byte %d changed", i)
                << f << int(i <= 68 ? ObdFile::BadHeaderChecksum : ObdFile::Ok)
                << (i <= 68 ? untouched : f.mid(802));
        }
    }
    void parse()
    {
        QFETCH(QByteArray, file);
        TQ275 r = record(QByteArray(20, 0x55));
        QTEST(int(ObdFile::parse(file, &r)), "result");
        QTEST(raw(r), "cfg");
    }

    // Each row: a scale and "argument:text" pairs. The dB and code scales read through Number,
    // the AGC level as code/dB/step, the input level register in hex (a negative code: the
    // amplifier is off).
    void scales_data()
    {
        QTest::addColumn<QString>("scale");
        QTest::addColumn<double>("arg");
        QTest::addColumn<QString>("text");
        const QStringList rows = {
            "Attack 0:8 1:11 2:16 3:20 4:",
            "Decay 0:100 1:200 2:400 3:500 -1:",
            "NoiseLvl 0:Откл. 1:-30 7:-42 31:-90",
            "SignalDet 0:0 1:0.5 2:1 7:32",
            "NoiseDet 7:32 8:64 9:128 31:1536",
            "OutLvl 0:0 1:-0.5 37:-18.5 38:-19.1 71:-35.6 72:-36.2 98:-49.2 99:-49.8 103:-51.8",
            "OutLvl 104:-52.2 105:-52.7 116:-72.2 117:-78.3 118:Откл. 127:Откл.",
            "Number 0.5:0.5 1536:1536 -19.1:-19.1 -0:0 -12:-12",
            "AttDb 8:-12 3:-4.5",
            "AttCode -12:8 -2:1 -1.4:0 -4.5:3",
            "GainDb 119:59.5 22:11",
            "GainCode 59.5:119 10.3:20 0.4:0 11:22",
            "AgcLvlSnap -24:7/-24/4 -21:7/-24/4 -20.1:7/-24/4 -20:6/-20/3 -18:6/-20/3 -17:5/-17/3",
            "AgcLvlSnap -15:5/-17/3 -14:4/-14/2 -13:4/-14/2 -11:3/-12/2 -9:2/-10/2 -8:1/-8/2",
            "AgcLvlSnap -7:1/-8/2 -6:0/-5.5/2.5 -3:0/-5.5/2.5",
            "AgcLvlDb 0:-5.5/2.5 1:-8/2 4:-14/2 5:-17/3 6:-20/3 7:-24/4 8: -1:",
            "InpMic 4:f4 0:f0 8:f8 -4:ff",
            "InpRx 4:4f 8:8f 0:f -4:ff"};
        for (const QString &row : rows) {
            const QStringList pairs = row.split(' ');
            for (const QString &p : pairs.mid(1))
                QTest::addRow("%s %s", qPrintable(pairs[0]), qPrintable(p))
                    << pairs[0] << p.section(':', 0, 0).toDouble() << p.section(':', 1);
        }
    }
    void scales()
    {
        QFETCH(QString, scale);
        QFETCH(double, arg);
        const QMap<QString, QString (*)(int)> byCode = {
            {"Attack", TScale::AttackText},     {"Decay", TScale::DecayText},
            {"NoiseLvl", TScale::NoiseLvlText}, {"SignalDet", TScale::SignalDetText},
            {"NoiseDet", TScale::NoiseDetText}, {"OutLvl", TScale::OutLvlText}};
        const int code = int(arg);
        const TScale::AgcLvl l = TScale::AgcLvlSnap(arg);
        double db = 1, step = 1;
        const bool inTable = TScale::AgcLvlDb(code, &db, &step);
        const TScale::Channel ch = scale == "InpRx" ? TScale::Rx : TScale::Mic;
        const QString text =
            byCode.contains(scale)  ? byCode[scale](code)
            : scale == "AttDb"      ? TScale::Number(TScale::AttDb(code))
            : scale == "GainDb"     ? TScale::Number(TScale::GainDb(code))
            : scale == "AttCode"    ? QString::number(TScale::AttCode(arg))
            : scale == "GainCode"   ? QString::number(TScale::GainCode(arg))
            : scale == "AgcLvlSnap" ? QString("%1/%2/%3").arg(l.code).arg(l.db).arg(l.step)
            : scale == "AgcLvlDb"   ? (inTable ? QString("%1/%2").arg(db).arg(step) : QString())
            : scale.startsWith("Inp")
                ? QString::number(TScale::InpLvlReg(ch, qAbs(code), code < 0), 16)
                : TScale::Number(arg);
        QTEST(text, "text");
    }

    // AGC switch-on: seven fixed pairs, then the channel's AGC switch, maximum gain, noise and
    // delay registers with the block's bytes 3 to 5.
    void agcOnSequence()
    {
        const quint8 rx[6] = {0x08, 0x80, 0x00, 0x20, 0x9A, 0x7B};
        quint8 pairs[22] = {};
        QCOMPARE(TScale::AgcOnSequence(TScale::Rx, rx, pairs), 11);
        QCOMPARE(bytes(pairs, 22), hex("020003810430050306900B0108C0137C1B201C9A227B"));
        QCOMPARE(TScale::AgcOnSequence(TScale::Mic, rx, pairs), 11);
        QCOMPARE(bytes(pairs, 22), hex("020003810430050306900B0108C0167C1E201F9A237B"));
    }
};

QTEST_MAIN(TstCore)
#include "tst_core.moc"
