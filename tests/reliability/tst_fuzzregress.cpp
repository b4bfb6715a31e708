// Replays through the fuzz programs' rules every seed input and every input that
// once broke them (tests/fuzz/regressions/<program>/). A broken rule aborts.

#include <QDir>
#include <QFile>
#include <QtTest>

#include "fuzzharness.h"

class TstFuzzRegress : public QObject
{
    Q_OBJECT

    static void addInputs(const QString &program)
    {
        int n = 0;
        for (const QString &kind : {QStringLiteral("corpus"), QStringLiteral("regressions")}) {
            QDir d(QStringLiteral(Q275_FUZZ_DIR "/") + kind + QLatin1Char('/') + program);
            for (const QString &f : d.entryList(QDir::Files, QDir::Name)) {
                QTest::newRow(qPrintable(kind + QLatin1Char('/') + f)) << d.filePath(f);
                ++n;
            }
        }
        QVERIFY2(n > 0, "no inputs found");
    }

    static QByteArray load(const QString &path)
    {
        QFile f(path);
        if (!f.open(QIODevice::ReadOnly))
            return QByteArray();
        return f.readAll();
    }

private slots:
    void answer_data()
    {
        QTest::addColumn<QString>("path");
        addInputs(QStringLiteral("answer"));
    }
    void answer()
    {
        QFETCH(QString, path);
        const QByteArray in = load(path);
        QVERIFY(!in.isEmpty());
        QCOMPARE(fuzzAnswer(reinterpret_cast<const uint8_t *>(in.constData()), size_t(in.size())),
                 0);
    }

    void obd_data()
    {
        QTest::addColumn<QString>("path");
        addInputs(QStringLiteral("obd"));
    }
    void obd()
    {
        QFETCH(QString, path);
        const QByteArray in = load(path);
        QCOMPARE(fuzzObd(reinterpret_cast<const uint8_t *>(in.constData()), size_t(in.size())), 0);
    }
};

QTEST_GUILESS_MAIN(TstFuzzRegress)
#include "tst_fuzzregress.moc"
