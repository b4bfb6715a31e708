#include <QDial>
#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QtTest>
#include <memory>

#include "editorprobe.h"
#include "simharness.h"
#include "tinprx.h"
#include "tinptx.h"
#include "toutput.h"
#include "tq275.h"
#include "tthread.h"

// Live control ("Контроль") through the real link thread against the board simulator:
// what reaches the board is read back from the simulator's frame log.
class TstLiveControl : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanupTestCase();

    void identityGivesTheFullWindow();
    void micAmplifierOffAndOn();
    void micConstantGainToAgcAndBack();
    void micSwitchingByte();
    void threeDialMovesOneSend();
    void resetSendsEveryChangedGroup();
    void receiverRegistersAndCommand();
    void outputPin8MicrophoneOff();
    void outputTwoDialsInOrder();

private:
    // Waits until the board has received n request frames since the last mark.
    bool waitFrames(int n, int timeoutMs = 5000);
    static QByteArray codecFrame(std::initializer_list<int> pairs);
    TQ275 freshRecord() const;

    std::unique_ptr<SimHarness> sim;
    std::unique_ptr<TThread> thread;
    TQ275 rec;
    QStringList messages;
};

QByteArray TstLiveControl::codecFrame(std::initializer_list<int> pairs)
{
    QByteArray d(1, char(pairs.size() / 2));
    for (int b : pairs)
        d.append(char(b));
    return SimHarness::requestFrame(0x82, d);
}

TQ275 TstLiveControl::freshRecord() const
{
    TQ275 r;
    const QByteArray def = SimHarness::defaultConfig();
    std::copy(def.constBegin(), def.constEnd(), reinterpret_cast<char *>(r.bytes()));
    return r;
}

bool TstLiveControl::waitFrames(int n, int timeoutMs)
{
    const bool ok = SimHarness::waitFor([&] { return sim->received().size() >= n; }, timeoutMs);
    // let a late extra frame show up, so that "exactly n" can be checked
    QTest::qWait(50);
    return ok;
}

void TstLiveControl::initTestCase()
{
    if (qEnvironmentVariableIsEmpty("Q275_SIM"))
        QSKIP("the board simulator is not built");
    sim.reset(new SimHarness);
    QVERIFY2(sim->start(), qPrintable(sim->error()));
    thread.reset(new TThread);
    thread->setPort(sim->portName());
    thread->setMode(1);
    connect(thread.get(), &TThread::mes, this, [this](const QString &m) { messages << m; });
    // A read fetches the board's identity, which unlocks live control in the editors.
    QSignalSpy done(thread.get(), &TThread::readCfg);
    thread->postRead();
    QVERIFY(done.wait(10000));
    quint8 ident[18];
    thread->getIdent(ident);
    QVERIFY(ident[0] != 0);
}

void TstLiveControl::init()
{
    QVERIFY(thread->wait(5000)); // the queue of the previous case has run dry
    rec = freshRecord();
    sim->markLog();
    messages.clear();
}

void TstLiveControl::cleanupTestCase()
{
    if (thread) {
        thread->requestStop();
        thread->wait();
    }
    thread.reset();
    sim.reset();
}

void TstLiveControl::identityGivesTheFullWindow()
{
    TInpTx ed(thread.get(), &rec, rec.mic, 1);
    ed.show();
    QVERIFY(child<QPushButton>(&ed, "bTest")->isEnabled());
    QVERIFY(child<QGroupBox>(&ed, "boxOff")->isVisible());
    QVERIFY(child<QRadioButton>(&ed, "chkTxOn")->isVisible());
    QCOMPARE(child<QGroupBox>(&ed, "boxOn")->title(),
             QStringLiteral("Включение канала по сигналам"));
    TOutput out(thread.get(), rec.rx + 6, rec.mic + 6, 1);
    QVERIFY(child<QPushButton>(&out, "bTest")->isEnabled());
}

void TstLiveControl::micAmplifierOffAndOn()
{
    TInpTx ed(thread.get(), &rec, rec.mic, 1);
    ed.setAttribute(Qt::WA_DeleteOnClose, false);
    child<QPushButton>(&ed, "bTest")->setChecked(true);
    child<QGroupBox>(&ed, "boxAmp")->setChecked(false);
    QVERIFY(waitFrames(2));
    QCOMPARE(sim->received(), QList<QByteArray>({codecFrame({18, 0xFF}), codecFrame({16, 0x96})}));
    const QByteArray regs = sim->record("codec");
    QCOMPARE(regs.size(), 256);
    QCOMPARE(quint8(regs[18]), quint8(0xFF));
    QCOMPARE(quint8(regs[16]), quint8(0x96));
    QVERIFY(messages.contains(QStringLiteral("Передача команд кодека выполнена успешно")));

    sim->markLog();
    child<QGroupBox>(&ed, "boxAmp")->setChecked(true);
    QVERIFY(waitFrames(2));
    QCOMPARE(sim->received(), QList<QByteArray>({codecFrame({18, 0xF0}), codecFrame({16, 0x16})}));
}

void TstLiveControl::micConstantGainToAgcAndBack()
{
    TInpTx ed(thread.get(), &rec, rec.mic, 1);
    ed.show();
    child<QPushButton>(&ed, "bTest")->setChecked(true);
    child<QRadioButton>(&ed, "radioAgc")->click();
    QVERIFY(waitFrames(2));
    QCOMPARE(sim->received(), QList<QByteArray>({codecFrame({2,  0x00, 3,  0x81, 4,  0x30, 5,  0x03,
                                                             6,  0x90, 11, 0x01, 8,  0xC0, 22, 0x7C,
                                                             30, 0x64, 31, 0x8F, 35, 0x41}),
                                                 codecFrame({29, 0xF3})}));
    QCOMPARE(quint8(sim->record("codec")[22]), quint8(0x7C));

    sim->markLog();
    child<QRadioButton>(&ed, "radioPga")->click();
    QVERIFY(waitFrames(2));
    QCOMPARE(sim->received(), QList<QByteArray>({codecFrame({22, 0x78}), codecFrame({29, 0x73})}));
    QCOMPARE(quint8(sim->record("codec")[22]), quint8(0x78));
}

void TstLiveControl::micSwitchingByte()
{
    TInpTx ed(thread.get(), &rec, rec.mic, 1);
    ed.show();
    child<QPushButton>(&ed, "bTest")->setChecked(true);
    child<QRadioButton>(&ed, "chkTxOn")->click();
    QVERIFY(waitFrames(1));
    QCOMPARE(sim->received(),
             QList<QByteArray>({SimHarness::requestFrame(0x84, QByteArray(1, char(0x2E)))}));
    QCOMPARE(sim->record("micctl"), QByteArray(1, char(0x2E)));
    QCOMPARE(rec.switching, quint8(0x2E));
    QVERIFY(messages.contains(QStringLiteral("Передача команд управления выполнена успешно")));
}

void TstLiveControl::threeDialMovesOneSend()
{
    TInpTx ed(thread.get(), &rec, rec.mic, 1);
    child<QPushButton>(&ed, "bTest")->setChecked(true);
    auto *dial = child<QDial>(&ed, "dialGain");
    dial->setValue(30);
    QTest::qWait(50);
    dial->setValue(40);
    QTest::qWait(50);
    dial->setValue(50);
    QVERIFY(waitFrames(1));
    QTest::qWait(300);
    QCOMPARE(sim->received(), QList<QByteArray>({codecFrame({16, 50})}));
}

void TstLiveControl::resetSendsEveryChangedGroup()
{
    rec.mic[0] = 5;    // attenuator
    rec.mic[3] = 0x20; // AGC maximum gain
    rec.mic[5] = 0x42; // detection delays
    rec.switching = 0x2A;
    TInpTx ed(thread.get(), &rec, rec.mic, 1);
    ed.show();
    child<QPushButton>(&ed, "bTest")->setChecked(true);
    child<QPushButton>(&ed, "bReset")->click();
    QVERIFY(waitFrames(4));
    // defaults OR bits 0 and 2 in: "Разрешение передачи" (bit 5) stays the switch-on source
    QCOMPARE(rec.switching, quint8(0x2E));
    QCOMPARE(sim->received(),
             QList<QByteArray>({SimHarness::requestFrame(0x84, QByteArray(1, char(0x2E))),
                                codecFrame({18, 0xF0}), codecFrame({30, 0x64}),
                                codecFrame({35, 0x41})}));
}

void TstLiveControl::receiverRegistersAndCommand()
{
    TInpRx ed(thread.get(), &rec, rec.rx, 1);
    ed.show();
    child<QPushButton>(&ed, "bTest")->setChecked(true);
    child<QGroupBox>(&ed, "boxAmp")->setChecked(false);
    QVERIFY(waitFrames(2));
    QVERIFY(!child<QWidget>(&ed, "boxAtt")->isEnabled());
    child<QGroupBox>(&ed, "boxAmp")->setChecked(true);
    QVERIFY(waitFrames(4));
    child<QRadioButton>(&ed, "radioAgc")->click();
    QVERIFY(waitFrames(6));
    child<QDial>(&ed, "dialAgcGain")->setValue(40);
    child<QDial>(&ed, "dialNoiseLvl")->setValue(3);
    child<QDial>(&ed, "dialDetSignal")->setValue(2);
    child<QRadioButton>(&ed, "chkRxOn")->click();
    child<QDial>(&ed, "dialAtt")->setValue(6);
    child<QDial>(&ed, "dialDecay")->setValue(1);
    QVERIFY(waitFrames(12));
    child<QRadioButton>(&ed, "radioPga")->click();
    QVERIFY(waitFrames(14));
    QCOMPARE(sim->received(),
             QList<QByteArray>(
                 {codecFrame({17, 0xFF}), codecFrame({15, 0x80}), codecFrame({17, 0x4F}),
                  codecFrame({15, 0x00}),
                  codecFrame({2,    0x00, 3,    0x81, 4,    0x30, 5,    0x03, 6,    0x90, 11,
                              0x01, 8,    0xC0, 19,   0x7C, 27,   0x64, 28,   0x8F, 34,   0x41}),
                  codecFrame({26, 0xF3}), SimHarness::requestFrame(0x83, QByteArray(1, char(0x1D))),
                  codecFrame({17, 0x6F}), codecFrame({26, 0xF1}), codecFrame({27, 80}),
                  codecFrame({28, 0x87}), codecFrame({34, 0x42}), codecFrame({19, 0x78}),
                  codecFrame({26, 0x71})}));
    QCOMPARE(sim->record("rxctl"), QByteArray(1, char(0x1D)));
}

void TstLiveControl::outputPin8MicrophoneOff()
{
    rec.mic[7] = 0x80 | 12;
    TOutput ed(thread.get(), rec.rx + 6, rec.mic + 6, 1);
    ed.show();
    child<QPushButton>(&ed, "bTest")->setChecked(true);
    child<QGroupBox>(&ed, "boxTx8")->setChecked(false);
    QVERIFY(waitFrames(1));
    QCOMPARE(sim->received(), QList<QByteArray>({codecFrame({49, 12})}));
    QCOMPARE(quint8(sim->record("codec")[49]), quint8(12));
}

void TstLiveControl::outputTwoDialsInOrder()
{
    TOutput ed(thread.get(), rec.rx + 6, rec.mic + 6, 1);
    ed.show();
    child<QPushButton>(&ed, "bTest")->setChecked(true);
    child<QGroupBox>(&ed, "boxRx8")->setChecked(true);
    child<QDial>(&ed, "dialRx8")->setValue(20);
    child<QDial>(&ed, "dialRx3")->setValue(10);
    QVERIFY(waitFrames(2));
    QCOMPARE(sim->received(),
             QList<QByteArray>({codecFrame({60, 0x80 | 10}), codecFrame({46, 0x80 | 20})}));
}

QTEST_MAIN(TstLiveControl)
#include "tst_livecontrol.moc"
