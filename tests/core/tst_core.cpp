// The configuration record, the .obd file image and the level scales: pure functions,
// checked byte for byte and text for text.
#include <QtTest>

#include <sys/stat.h>
#include <unistd.h>

#include "config/configtext.h"
#include "config/obdfile.h"
#include "config/safesave.h"
#include "config/tq275.h"
#include "editors/tscale.h"
#include "testkit.h"

// One text of a scale: the scale as a function of its argument, the argument, the text.
struct ScaleCase {
    std::function<QString(double)> show;
    double arg;
    QString text;
};
Q_DECLARE_METATYPE(ScaleCase)

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

    static QByteArray earlier() { return "earlier bytes"; }
    static QByteArray image() { return ObdFile::image(record(otherRecord())); }
    // a.obd in dir with the earlier bytes, readable by its owner and group.
    static QString writeEarlier(const QString &dir)
    {
        QFile f(dir + "/a.obd");
        if (!f.open(QIODevice::WriteOnly) || f.write(earlier()) != earlier().size() ||
            !f.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup))
            qFatal("cannot prepare %s", qPrintable(f.fileName()));
        return f.fileName();
    }
    static QByteArray contents(const QString &path)
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
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

    // The defaults of a new record (each default on a filled record: the editors' mode zero).
    void defaults() { QCOMPARE(raw(TQ275::newRecord()), newRecord()); }

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

    // Each scale with arguments and the texts it gives. The dB and code scales read through
    // Number, the AGC level as code/dB/step, the input level register in hex (a negative
    // code: the amplifier is off).
    void scales_data()
    {
        QTest::addColumn<ScaleCase>("c");
        using Show = std::function<QString(double)>;
        const auto byCode = [](QString (*text)(int)) {
            return [text](double a) { return text(int(a)); };
        };
        const auto number = [](double (*db)(int)) {
            return [db](double a) { return TScale::Number(db(int(a))); };
        };
        const auto code = [](int (*c)(double)) {
            return [c](double a) { return QString::number(c(a)); };
        };
        const auto inputLevel = [](TScale::Channel ch) {
            return [ch](double a) {
                return QString::number(TScale::InpLvlReg(ch, qAbs(int(a)), a < 0), 16);
            };
        };
        const Show agcSnap = [](double a) {
            const TScale::AgcLvl l = TScale::AgcLvlSnap(a);
            return QString("%1/%2/%3").arg(l.code).arg(l.db).arg(l.step);
        };
        const Show agcDb = [](double a) {
            double db = 1, step = 1;
            return TScale::AgcLvlDb(int(a), &db, &step) ? QString("%1/%2").arg(db).arg(step)
                                                        : QString();
        };
        struct Scale {
            const char *name;
            Show show;
            QList<QPair<double, QString>> texts; // argument, text
        };
        // clang-format off
        const Scale scales[] = {
            {"Attack", byCode(TScale::AttackText),
             {{0, "8"}, {1, "11"}, {2, "16"}, {3, "20"}, {4, ""}}},
            {"Decay", byCode(TScale::DecayText),
             {{0, "100"}, {1, "200"}, {2, "400"}, {3, "500"}, {-1, ""}}},
            {"NoiseLvl", byCode(TScale::NoiseLvlText),
             {{0, "Откл."}, {1, "-30"}, {7, "-42"}, {31, "-90"}}},
            {"SignalDet", byCode(TScale::SignalDetText),
             {{0, "0"}, {1, "0.5"}, {2, "1"}, {7, "32"}}},
            {"NoiseDet", byCode(TScale::NoiseDetText),
             {{7, "32"}, {8, "64"}, {9, "128"}, {31, "1536"}}},
            {"OutLvl", byCode(TScale::OutLvlText),
             {{0, "0"}, {1, "-0.5"}, {37, "-18.5"}, {38, "-19.1"}, {71, "-35.6"}, {72, "-36.2"},
              {98, "-49.2"}, {99, "-49.8"}, {103, "-51.8"}, {104, "-52.2"}, {105, "-52.7"},
              {116, "-72.2"}, {117, "-78.3"}, {118, "Откл."}, {127, "Откл."}}},
            {"Number", &TScale::Number,
             {{0.5, "0.5"}, {1536, "1536"}, {-19.1, "-19.1"}, {-0.0, "0"}, {-12, "-12"}}},
            {"AttDb", number(TScale::AttDb), {{8, "-12"}, {3, "-4.5"}}},
            {"AttCode", code(TScale::AttCode), {{-12, "8"}, {-2, "1"}, {-1.4, "0"}, {-4.5, "3"}}},
            {"GainDb", number(TScale::GainDb), {{119, "59.5"}, {22, "11"}}},
            {"GainCode", code(TScale::GainCode),
             {{59.5, "119"}, {10.3, "20"}, {0.4, "0"}, {11, "22"}}},
            {"AgcLvlSnap", agcSnap,
             {{-24, "7/-24/4"}, {-21, "7/-24/4"}, {-20.1, "7/-24/4"}, {-20, "6/-20/3"},
              {-18, "6/-20/3"}, {-17, "5/-17/3"}, {-15, "5/-17/3"}, {-14, "4/-14/2"},
              {-13, "4/-14/2"}, {-11, "3/-12/2"}, {-9, "2/-10/2"}, {-8, "1/-8/2"},
              {-7, "1/-8/2"}, {-6, "0/-5.5/2.5"}, {-3, "0/-5.5/2.5"}}},
            {"AgcLvlDb", agcDb,
             {{0, "-5.5/2.5"}, {1, "-8/2"}, {4, "-14/2"}, {5, "-17/3"}, {6, "-20/3"},
              {7, "-24/4"}, {8, ""}, {-1, ""}}},
            {"InpMic", inputLevel(TScale::Mic), {{4, "f4"}, {0, "f0"}, {8, "f8"}, {-4, "ff"}}},
            {"InpRx", inputLevel(TScale::Rx), {{4, "4f"}, {8, "8f"}, {0, "f"}, {-4, "ff"}}},
        };
        // clang-format on
        for (const Scale &scale : scales) {
            for (const auto &[arg, text] : scale.texts)
                QTest::addRow("%s %g", scale.name, arg) << ScaleCase{scale.show, arg, text};
        }
    }
    void scales()
    {
        QFETCH(ScaleCase, c);
        QCOMPARE(c.show(c.arg), c.text);
    }

    // A save writes every byte; the file keeps its mode and owner, and no temporary file stays.
    void saveWritten()
    {
        QTemporaryDir tmp;
        const QString path = writeEarlier(tmp.path());
        const bool root = ::geteuid() == 0;
        if (root)
            QVERIFY(::chown(QFile::encodeName(path), 1234, 1234) == 0);
        QCOMPARE(int(SafeSave::save(path, image())), int(SafeSave::Saved));
        QCOMPARE(contents(path), image());
        QCOMPARE(QDir(tmp.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"a.obd"});
        QCOMPARE(int(QFile::permissions(path) & 0x7777),
                 int(QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadUser |
                     QFile::WriteUser));
        QCOMPARE(QFileInfo(path).ownerId(), root ? 1234u : ::geteuid());
    }

    // A write cut short (a file size limit stands in for a full disk) leaves the earlier file
    // as it was, byte for byte, and no temporary file behind.
    void saveCutShort()
    {
        QTemporaryDir tmp;
        const QString path = writeEarlier(tmp.path());
        int result = -1;
        withFullDisk(100, [&] { result = SafeSave::save(path, image()); });
        QCOMPARE(result, int(SafeSave::WriteFailed));
        QCOMPARE(contents(path), earlier());
        QCOMPARE(QDir(tmp.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"a.obd"});
    }

    // In a folder that takes no new file, a file the user may write is written in place.
    void saveLockedFolder()
    {
        QTemporaryDir tmp;
        const QString dir = tmp.path(), path = writeEarlier(dir);
        const bool root = ::geteuid() == 0;
        const auto lock = [&](bool on) {
            return root ? QProcess::execute("chattr", {on ? "+i" : "-i", dir}) == 0
                        : QFile::setPermissions(
                              dir, QFile::ReadOwner | QFile::ExeOwner |
                                       (on ? QFile::Permissions() : QFile::WriteOwner));
        };
        if (!lock(true))
            QSKIP("the folder cannot be locked here");
        const int result = SafeSave::save(path, image());
        lock(false);
        QCOMPARE(result, int(SafeSave::Saved));
        QCOMPARE(contents(path), image());
    }

    // A FIFO could hold the program for ever: a save never opens it nor puts a file in its
    // place, a load refuses it by what it is before opening it.
    void fifo()
    {
        QTemporaryDir tmp;
        const QString path = tmp.filePath("a.obd");
        QVERIFY(::mkfifo(QFile::encodeName(path), 0644) == 0);
        QCOMPARE(int(SafeSave::save(path, image())), int(SafeSave::OpenFailed));
        QVERIFY(!QFileInfo(path).isFile());
        TQ275 r = record(newRecord());
        QCOMPARE(int(ObdFile::load(path, &r)), int(ObdFile::WrongSize));
        QCOMPARE(raw(r), newRecord());
    }

    // A configuration in words: the rows of each group in the editors' units and texts.
    void rows_data()
    {
        QTest::addColumn<QByteArray>("cfg");
        QTest::addColumn<QStringList>("rows"); // "group key:value" of the rows looked at
        // clang-format off
        QTest::newRow("new record") << newRecord() << QStringList{
            "receiver attenuator:-6.0 дБ",         "receiver amplifier:Вкл.",
            "receiver amplifier_mode:Постоянный",  "receiver gain:0.0 дБ",
            "receiver clip:Вкл.",                  "receiver agc_level:-24.0 дБ",
            "receiver agc_max_gain:25.0 дБ",       "receiver attack:8 мс",
            "receiver decay:500 мс",               "receiver signal_delay:0.5 мс",
            "receiver noise_delay:64 мс",          "receiver noise_threshold:-42.0 дБ",
            "receiver noise_hysteresis:3 дБ",      "receiver switch_on:Детектора несущей",
            "receiver switch_off:Детектора несущей", "microphone gain:11.0 дБ",
            "microphone switch_on:Нажатия РТТ",    "microphone switch_off:Отпускания РТТ",
            "output pin3_receiver:Вкл.",           "output pin3_receiver_level:0.0 дБ",
            "output pin8_microphone:Откл.",        "record checksum:0xE3"};
        // The second sources, the amplifier off, AGC on, levels at their ends.
        QTest::newRow("second sources")
            << changed(newRecord(), {{0, 0xF0}, {1, 9}, {2, 0xF7}, {3, 0xFF}, {4, 0}, {5, 0},
                                     {6, 0xFF}, {7, 0xF5}, {15, 0x76}, {17, 1}})
            << QStringList{
            "receiver attenuator:-12.0 дБ",        "receiver amplifier:Откл.",
            "receiver gain:59.5 дБ",               "receiver amplifier_mode:АРУ",
            "receiver agc_level:-24.0 дБ",         "receiver agc_max_gain:0.0 дБ",
            "receiver attack:20 мс",               "receiver decay:500 мс",
            "receiver clip:Откл.",                 "receiver noise_threshold:Откл.",
            "receiver noise_hysteresis:1 дБ",      "receiver signal_delay:32 мс",
            "receiver noise_delay:1536 мс",        "receiver switch_on:Разрешение аудио",
            "receiver switch_off:Запрет аудио",    "microphone switch_on:Разрешение передачи",
            "microphone switch_off:Запрет передачи", "output pin3_receiver:Вкл.",
            "output pin3_receiver_level:-78.3 дБ", "output pin3_microphone:Откл.",
            "output pin3_microphone_level:Откл.",  "record info_flag:0x01"};
        QTest::newRow("no sources") << changed(newRecord(), {{0, 0}}) << QStringList{
            "receiver switch_on:Нет",              "receiver switch_off:Откл.",
            "microphone switch_on:Нет",            "microphone switch_off:Откл."};
        // clang-format on
    }
    void rows()
    {
        QFETCH(QByteArray, cfg);
        QFETCH(QStringList, rows);
        QStringList all;
        for (const ConfigText::Row &r : ConfigText::rows(record(cfg)))
            all << r.groupKey + " " + r.key + ":" + r.value;
        QCOMPARE(all.size(), 15 + 15 + 8 + 3);
        for (const QString &row : rows)
            QVERIFY2(all.contains(row), qPrintable(row + " in " + all.join('|')));
    }

    // A comparison lists what differs and hides nothing: a reserved bit, a value the editors
    // show clamped (even when its row differs), a first source under a second and a header
    // byte come out in hex.
    void compare()
    {
        QVERIFY(ConfigText::compare(newRecord(), ObdFile::image(record(newRecord()))).isEmpty());
        QByteArray other = ObdFile::image(record(withChecksum(
            changed(newRecord(), {{0, 0x1D}, {3, 0x70}, {10, 0x1D}, {1, 0x04 + 5}, {12, 0x65}}))));
        other[69] = 'r';
        QStringList texts;
        for (const ConfigText::Change &c : ConfigText::compare(newRecord(), other))
            texts << c.text();
        QCOMPARE(texts,
                 (QStringList{"Вход приемника · Аттенюатор: -6.0 дБ → -12.0 дБ",
                              "Вход приемника · Спад: 500 мс → 100 мс",
                              "Вход приемника · Включение канала: Детектора несущей → "
                              "Разрешение аудио",
                              "Вход микрофона · Усиление: 11.0 дБ → 14.5 дБ",
                              "Запись · Контрольная сумма: 0xE3 → 0xCB",
                              "Запись · Байт 0: 0x0F → 0x1D", "Запись · Байт 1: 0x04 → 0x09",
                              "Запись · Байт 12: 0x64 → 0x65", "Файл · Байт 69: 0x52 → 0x72"}));
    }
};

QTEST_MAIN(TstCore)
#include "tst_core.moc"
