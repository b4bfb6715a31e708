#include <QtTest>

#include "tscale.h"

class TstTScale : public QObject
{
    Q_OBJECT

private slots:
    void attenuator();
    void gain();
    void agcLevelTable();
    void agcLevelSnap_data();
    void agcLevelSnap();
    void agcStepsLandInNeighbourBand();
    void attackDecay();
    void noiseThreshold();
    void detectionDelays();
    void outputLevel_data();
    void outputLevel();
    void outputLevelTextsAreMonotonic();
    void inputLevelRegister();
    void registers();
    void agcSwitchOnSequence();
    void numberFormat();
};

void TstTScale::attenuator()
{
    QCOMPARE(TScale::AttDb(0), 0.0);
    QCOMPARE(TScale::AttDb(4), -6.0);
    QCOMPARE(TScale::AttDb(8), -12.0);
    QCOMPARE(TScale::AttCode(-12), 8);
    QCOMPARE(TScale::AttCode(-2), 1);
    QCOMPARE(TScale::AttCode(-1.4), 0);
    QCOMPARE(TScale::AttCode(0), 0);
    for (int code = 0; code <= 8; ++code)
        QCOMPARE(TScale::AttCode(TScale::AttDb(code)), code);
}

void TstTScale::gain()
{
    QCOMPARE(TScale::GainDb(119), 59.5);
    QCOMPARE(TScale::GainDb(22), 11.0);
    QCOMPARE(TScale::GainCode(59.5), 119);
    QCOMPARE(TScale::GainCode(10.3), 20);
    QCOMPARE(TScale::GainCode(0.4), 0);
    for (int code = 0; code <= 119; ++code)
        QCOMPARE(TScale::GainCode(TScale::GainDb(code)), code);
}

void TstTScale::agcLevelTable()
{
    const double db[8] = {-5.5, -8, -10, -12, -14, -17, -20, -24};
    const double step[8] = {2.5, 2, 2, 2, 2, 3, 3, 4};
    for (int code = 0; code < 8; ++code) {
        double d = 1, s = 1;
        QVERIFY(TScale::AgcLvlDb(code, &d, &s));
        QCOMPARE(d, db[code]);
        QCOMPARE(s, step[code]);
        // every table value snaps onto itself
        const TScale::AgcLvl l = TScale::AgcLvlSnap(db[code]);
        QCOMPARE(l.code, code);
        QCOMPARE(l.db, db[code]);
        QCOMPARE(l.step, step[code]);
    }
    double untouched = 42;
    QVERIFY(!TScale::AgcLvlDb(8, &untouched));
    QVERIFY(!TScale::AgcLvlDb(-1, &untouched));
    QCOMPARE(untouched, 42.0);
}

void TstTScale::agcLevelSnap_data()
{
    QTest::addColumn<double>("db");
    QTest::addColumn<int>("code");
    QTest::addColumn<double>("snapped");
    QTest::addColumn<double>("step");
    QTest::newRow("-20 is not below -20") << -20.0 << 6 << -20.0 << 3.0;
    QTest::newRow("-20.1") << -20.1 << 7 << -24.0 << 4.0;
    QTest::newRow("-21 typed") << -21.0 << 7 << -24.0 << 4.0;
    QTest::newRow("-23") << -23.0 << 7 << -24.0 << 4.0;
    QTest::newRow("-18") << -18.0 << 6 << -20.0 << 3.0;
    QTest::newRow("-15") << -15.0 << 5 << -17.0 << 3.0;
    QTest::newRow("-13") << -13.0 << 4 << -14.0 << 2.0;
    QTest::newRow("-11") << -11.0 << 3 << -12.0 << 2.0;
    QTest::newRow("-9") << -9.0 << 2 << -10.0 << 2.0;
    QTest::newRow("-7") << -7.0 << 1 << -8.0 << 2.0;
    QTest::newRow("-6") << -6.0 << 0 << -5.5 << 2.5;
    QTest::newRow("-3") << -3.0 << 0 << -5.5 << 2.5;
}

void TstTScale::agcLevelSnap()
{
    QFETCH(double, db);
    const TScale::AgcLvl l = TScale::AgcLvlSnap(db);
    QTEST(l.code, "code");
    QTEST(l.db, "snapped");
    QTEST(l.step, "step");
}

void TstTScale::agcStepsLandInNeighbourBand()
{
    for (int code = 0; code < 8; ++code) {
        double db, step;
        QVERIFY(TScale::AgcLvlDb(code, &db, &step));
        if (code > 0)
            QCOMPARE(TScale::AgcLvlSnap(db + step).code, code - 1);
        if (code < 7)
            QCOMPARE(TScale::AgcLvlSnap(db - step).code, code + 1);
    }
}

void TstTScale::attackDecay()
{
    const QStringList attack = {"8", "11", "16", "20"};
    const QStringList decay = {"100", "200", "400", "500"};
    for (int code = 0; code < 4; ++code) {
        QCOMPARE(TScale::AttackText(code), attack[code]);
        QCOMPARE(TScale::DecayText(code), decay[code]);
    }
    QVERIFY(TScale::AttackText(4).isEmpty());
    QVERIFY(TScale::DecayText(-1).isEmpty());
}

void TstTScale::noiseThreshold()
{
    QCOMPARE(TScale::NoiseLvlText(0), QStringLiteral("Откл."));
    QCOMPARE(TScale::NoiseLvlText(1), QStringLiteral("-30"));
    QCOMPARE(TScale::NoiseLvlText(7), QStringLiteral("-42"));
    QCOMPARE(TScale::NoiseLvlText(31), QStringLiteral("-90"));
    for (int n = 1; n <= 31; ++n)
        QCOMPARE(TScale::NoiseLvlText(n), QString::number(-(2 * n + 28)));
}

void TstTScale::detectionDelays()
{
    const QStringList sig = {"0", "0.5", "1", "2", "4", "8", "16", "32"};
    for (int code = 0; code < 8; ++code) {
        QCOMPARE(TScale::SignalDetText(code), sig[code]);
        QCOMPARE(TScale::NoiseDetText(code), sig[code]);
    }
    QCOMPARE(TScale::NoiseDetText(8), QStringLiteral("64"));
    QCOMPARE(TScale::NoiseDetText(9), QStringLiteral("128"));
    QCOMPARE(TScale::NoiseDetText(30), QStringLiteral("1472"));
    QCOMPARE(TScale::NoiseDetText(31), QStringLiteral("1536"));
}

void TstTScale::outputLevel_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("text");
    QTest::newRow("0") << 0 << "0";
    QTest::newRow("1") << 1 << "-0.5";
    QTest::newRow("37") << 37 << "-18.5";
    QTest::newRow("38") << 38 << "-19.1";
    QTest::newRow("71") << 71 << "-35.6";
    QTest::newRow("72") << 72 << "-36.2";
    QTest::newRow("98") << 98 << "-49.2";
    QTest::newRow("99") << 99 << "-49.8";
    QTest::newRow("103") << 103 << "-51.8";
    QTest::newRow("104") << 104 << "-52.2";
    QTest::newRow("105") << 105 << "-52.7";
    QTest::newRow("110") << 110 << "-58.3";
    QTest::newRow("116") << 116 << "-72.2";
    QTest::newRow("117") << 117 << "-78.3";
    QTest::newRow("118") << 118 << QStringLiteral("Откл.");
    QTest::newRow("127") << 127 << QStringLiteral("Откл.");
}

void TstTScale::outputLevel()
{
    QFETCH(int, code);
    QTEST(TScale::OutLvlText(code), "text");
}

void TstTScale::outputLevelTextsAreMonotonic()
{
    // Each code is quieter than the one before and the texts carry at most one decimal.
    double last = 1;
    for (int code = 0; code < 118; ++code) {
        const QString t = TScale::OutLvlText(code);
        bool ok = false;
        const double v = t.toDouble(&ok);
        QVERIFY2(ok, qPrintable(t));
        QVERIFY2(v < last, qPrintable(QString::number(code)));
        QVERIFY(!t.contains('e') && t.section('.', 1).size() <= 1);
        last = v;
    }
}

void TstTScale::inputLevelRegister()
{
    QCOMPARE(TScale::InpLvlReg(TScale::Mic, 4, false), quint8(0xF4));
    QCOMPARE(TScale::InpLvlReg(TScale::Rx, 4, false), quint8(0x4F));
    QCOMPARE(TScale::InpLvlReg(TScale::Mic, 4, true), quint8(0xFF));
    QCOMPARE(TScale::InpLvlReg(TScale::Rx, 4, true), quint8(0xFF));
    QCOMPARE(TScale::InpLvlReg(TScale::Mic, 0, false), quint8(0xF0));
    QCOMPARE(TScale::InpLvlReg(TScale::Rx, 8, false), quint8(0x8F));
    QCOMPARE(TScale::InpLvlReg(TScale::Mic, 8, false), quint8(0xF8));
}

void TstTScale::registers()
{
    const TScale::ChanRegs &m = TScale::Regs(TScale::Mic);
    const TScale::ChanRegs &r = TScale::Regs(TScale::Rx);
    QCOMPARE(QList<int>({m.inpLvl, m.gain, m.agc, m.agcGain, m.noise, m.detect, m.agcSwitch}),
             QList<int>({18, 16, 29, 30, 31, 35, 22}));
    QCOMPARE(QList<int>({r.inpLvl, r.gain, r.agc, r.agcGain, r.noise, r.detect, r.agcSwitch}),
             QList<int>({17, 15, 26, 27, 28, 34, 19}));
    QCOMPARE(QList<int>({TScale::RegRx3, TScale::RegRx8, TScale::RegMic3, TScale::RegMic8}),
             QList<int>({60, 46, 63, 49}));
}

void TstTScale::agcSwitchOnSequence()
{
    const quint8 block[6] = {0x00, 0x16, 0xF3, 0x64, 0x8F, 0x41};
    quint8 pairs[22];
    QCOMPARE(TScale::AgcOnSequence(TScale::Mic, block, pairs), 11);
    const QByteArray mic = QByteArray::fromHex(
        "02 00  03 81  04 30  05 03  06 90  0B 01  08 C0  16 7C  1E 64  1F 8F  23 41");
    QCOMPARE(QByteArray(reinterpret_cast<const char *>(pairs), 22), mic);
    QCOMPARE(TScale::AgcOnSequence(TScale::Rx, block, pairs), 11);
    const QByteArray rx = QByteArray::fromHex(
        "02 00  03 81  04 30  05 03  06 90  0B 01  08 C0  13 7C  1B 64  1C 8F  22 41");
    QCOMPARE(QByteArray(reinterpret_cast<const char *>(pairs), 22), rx);
}

void TstTScale::numberFormat()
{
    QCOMPARE(TScale::Number(0.5), QStringLiteral("0.5"));
    QCOMPARE(TScale::Number(32), QStringLiteral("32"));
    QCOMPARE(TScale::Number(1536), QStringLiteral("1536"));
    QCOMPARE(TScale::Number(-19.1), QStringLiteral("-19.1"));
    QCOMPARE(TScale::Number(-0.0), QStringLiteral("0"));
    QCOMPARE(TScale::Number(-12), QStringLiteral("-12"));
}

QTEST_MAIN(TstTScale)
#include "tst_tscale.moc"
