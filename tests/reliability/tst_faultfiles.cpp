// Failed writes and tests as the main window runs them, on a configuration opened
// from a file: under each fault that ends the operation, the window reports the
// failure, and neither the configuration, the file nor the board has changed; the
// next write then succeeds, and saving writes exactly the configuration.

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

#include "modalresponder.h"
#include "obdfile.h"
#include "q275.h"
#include "simharness.h"
#include "testsandbox.h"
#include "tq275.h"

namespace
{
QByteArray rec20(const TQ275 *r)
{
    return r ? QByteArray(reinterpret_cast<const char *>(r->bytes()), TQ275::Size) : QByteArray();
}

QByteArray fileBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// A valid record unlike the simulator's new one.
TQ275 fileConfig()
{
    TQ275 r;
    const QByteArray b = SimHarness::defaultConfig();
    memcpy(r.bytes(), b.constData(), TQ275::Size);
    r.rx[2] ^= 0x0F;
    r.mic[1] ^= 0x30;
    r.updateChecksum();
    return r;
}
} // namespace

class TstFaultFiles : public QObject
{
    Q_OBJECT

    std::unique_ptr<TestSandbox> tmp;
    std::unique_ptr<SimHarness> sim;
    std::unique_ptr<ModalResponder> modal;
    Q275 *main = nullptr;
    QString obd;

    QWidget *window(const QString &title) const
    {
        for (QMdiSubWindow *s : main->workArea()->subWindowList())
            if (s->windowTitle() == title)
                return s->widget();
        return nullptr;
    }

    QString label(QWidget *w) const
    {
        auto *l = w ? w->findChild<QLabel *>(QStringLiteral("label")) : nullptr;
        return l ? l->text() : QString();
    }

private slots:
    void initTestCase()
    {
        QCoreApplication::setOrganizationName(QStringLiteral("Veltrona"));
        QCoreApplication::setApplicationName(QStringLiteral("Terminal Q-275"));
    }

    void init()
    {
        tmp.reset(new TestSandbox);
        QVERIFY(tmp->isValid());
        modal.reset(new ModalResponder);
        sim.reset(new SimHarness);
        QVERIFY2(sim->start(), qPrintable(sim->error()));
        QFile ini(QStringLiteral("Q275.ini"));
        QVERIFY(ini.open(QIODevice::WriteOnly));
        ini.write(sim->portName().toLocal8Bit() + "\n");
        ini.close();

        obd = tmp->filePath(QStringLiteral("radio.obd"));
        QFile f(obd);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(ObdFile::image(fileConfig()));
        f.close();

        main = new Q275;
        main->show();
        modal->answerFile(obd);
        main->open();
        const TQ275 want = fileConfig();
        QCOMPARE(rec20(main->currentConfig()), rec20(&want));
    }

    void cleanup()
    {
        if (main) {
            main->setAttribute(Qt::WA_DeleteOnClose, false);
            main->workArea()->closeAllSubWindows();
            delete main;
            main = nullptr;
        }
        modal.reset();
        sim.reset();
        tmp.reset();
    }

    void failedOperation_data()
    {
        QTest::addColumn<bool>("write");
        QTest::addColumn<QString>("fault");
        for (const bool w : {true, false}) {
            const QString c = w ? QStringLiteral(",cmd=75") : QStringLiteral(",cmd=74");
            const char *op = w ? "write" : "test";
            QTest::newRow(qPrintable(QStringLiteral("%1 close").arg(op))) << w << "close" + c;
            QTest::newRow(qPrintable(QStringLiteral("%1 error").arg(op))) << w << "error=07" + c;
            QTest::newRow(qPrintable(QStringLiteral("%1 status=1").arg(op))) << w << "status=1" + c;
            QTest::newRow(qPrintable(QStringLiteral("%1 status=2").arg(op))) << w << "status=2" + c;
            QTest::newRow(qPrintable(QStringLiteral("%1 nak always").arg(op)))
                << w << "nak,always" + c;
        }
    }

    void failedOperation()
    {
        QFETCH(bool, write);
        QFETCH(QString, fault);
        const QByteArray cfg = rec20(main->currentConfig());
        const QByteArray file = fileBytes(obd);
        const QByteArray boardCfg = sim->record(QStringLiteral("config"));
        const QByteArray boardTest = sim->record(QStringLiteral("test"));
        const QString title = write ? QStringLiteral("Записать") : QStringLiteral("Проверить");

        QVERIFY(sim->fault(fault));
        if (write)
            main->write();
        else
            main->test();
        QWidget *w = window(title);
        QVERIFY(w);
        QTRY_COMPARE_WITH_TIMEOUT(label(w),
                                  write ? QStringLiteral("Ошибка. Запись конфигурации прервана.")
                                        : QStringLiteral("Ошибка. Загрузка конфигурации прервана."),
                                  15000);
        QTest::mouseClick(w->findChild<QPushButton *>(QStringLiteral("bClose")), Qt::LeftButton);
        QTRY_VERIFY(!window(title));

        QCOMPARE(rec20(main->currentConfig()), cfg);
        QCOMPARE(fileBytes(obd), file);
        QCOMPARE(sim->record(QStringLiteral("config")), boardCfg);
        QCOMPARE(sim->record(QStringLiteral("test")), boardTest);
        QCOMPARE(main->currentFileName(), obd);

        // The terminal keeps working: the next write stores the file's record.
        QVERIFY(sim->control(QStringLiteral("clear")));
        main->write();
        w = window(QStringLiteral("Записать"));
        QVERIFY(w);
        QTRY_COMPARE_WITH_TIMEOUT(sim->record(QStringLiteral("config")), cfg, 5000);
        QCOMPARE(fileBytes(obd), file);
        main->save();
        QCOMPARE(fileBytes(obd), ObdFile::image(*main->currentConfig()));
        QCOMPARE(fileBytes(obd).mid(ObdFile::HeaderSize), cfg);
    }
};

QTEST_MAIN(TstFaultFiles)
#include "tst_faultfiles.moc"
