// q275-cli as a technician runs it: the real program against the board simulator, one
// table of command lines with their exit status, output and what reached the board.
#include <QtTest>

#include "obdfile.h"
#include "simharness.h"
#include "testkit.h"

class TstCli : public QObject
{
    Q_OBJECT

    QTemporaryDir dir;
    std::unique_ptr<SimHarness> sim;

    // Runs q275-cli in the temporary folder (the history in its data folder); PORT and
    // DIR in the arguments stand for the simulator's link and the folder, a last ">FILE"
    // sends stdout there.
    int cli(QStringList args, QString *out = nullptr, QString *err = nullptr)
    {
        args.replaceInStrings(QStringLiteral("PORT"), sim->portName());
        args.replaceInStrings(QStringLiteral("DIR"), dir.path());
        QProcess p;
        if (!args.isEmpty() && args.last().startsWith(QLatin1Char('>')))
            p.setStandardOutputFile(args.takeLast().mid(1));
        p.setWorkingDirectory(dir.path());
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_DATA_HOME"), dir.filePath(QStringLiteral("data")));
        p.setProcessEnvironment(env);
        p.start(qEnvironmentVariable("Q275_CLI"), args);
        if (!p.waitForFinished(30000))
            return -1;
        if (out)
            *out = QString::fromUtf8(p.readAllStandardOutput());
        if (err)
            *err = QString::fromUtf8(p.readAllStandardError());
        return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -2;
    }
    QByteArray file(const QString &name) const
    {
        QFile f(dir.filePath(name));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    void put(const QString &name, const QByteArray &bytes)
    {
        QFile f(dir.filePath(name));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    static QByteArray image(const QByteArray &cfg)
    {
        return ObdFile::image(*reinterpret_cast<const TQ275 *>(cfg.constData()));
    }

private slots:
    void init() { sim.reset(new SimHarness); } // a board of its own, as new

    void runs_data()
    {
        QTest::addColumn<QStringList>("board"); // simulator options, then control lines
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("out");         // stdout, whole (RE: a regular expression)
        QTest::addColumn<QString>("err");         // a line stderr must hold
        QTest::addColumn<QByteArray>("commands"); // command bytes on the line, in order
        const QString ident = "0103008000033A001F000D51333032383934";
        const QString bad = QString::fromLatin1(withChecksum(newRecord()).toHex());
        QTest::newRow("read")
            << QStringList() << QStringList{"read", "-p", "PORT", "-o", "DIR/a.obd", "-q"} << 0
            << "Конфигурация адаптера Q-275, (822 байт) записана в файл: DIR/a.obd\n"
            << "" << hex("798076");
        QTest::newRow("read, record corrupt")
            << QStringList{"--config", "0F040073648F418000001673648F4180000000E4"}
            << QStringList{"read", "-p", "PORT", "-o", "DIR/old.obd", "-q"} << 2 << ""
            << "q275-cli: Конфигурация адаптера Q-275 повреждена" << hex("798076");
        QTest::newRow("read, no echo")
            << QStringList{"--fault", "no-echo"}
            << QStringList{"read", "-p", "PORT", "-o", "DIR/old.obd", "-q", "-v"} << 1 << ""
            << "q275-cli: Ошибка соединения с MOTOROLA RIB" << hex("79"); // not a port line
        QTest::newRow("test, line closed")
            << QStringList{"--fault", "close"}
            << QStringList{"test", "-p", "PORT", "-i", "DIR/o.obd", "-q"} << 1 << ""
            << "q275-cli: Ошибка. Загрузка конфигурации прервана." << hex("74");
        QTest::newRow("read, error answer")
            << QStringList{"--fault", "error,cmd=76"}
            << QStringList{"read", "-p", "PORT", "-o", "DIR/old.obd"} << 2 << ""
            << "Ошибка, код ответа опциональной платы: 0x5" << hex("798076");
        QTest::newRow("read, port missing")
            << QStringList() << QStringList{"read", "-p", "DIR/none", "-o", "DIR/old.obd", "-q"}
            << 1 << ""
            << "q275-cli: Не удалось открыть порт DIR/none: порт не найден" << QByteArray();
        QTest::newRow("info --json")
            << QStringList() << QStringList{"info", "-p", "PORT", "--json"} << 0
            << "{\"date\":\"2011-03-15\",\"model\":\"Q-275\",\"processor_id\":\"0x080\","
               "\"processor_rev\":\"0x03\",\"processor_sn\":\"0x3A01F0D51333032383934\","
               "\"serial\":\"0275\",\"version\":\"1.3\"}\n"
            << "" << hex("7980");
        QTest::newRow("info, no identity")
            << QStringList{"--no-identity"} << QStringList{"info", "-p", "PORT", "-q"} << 0
            << "Модель: Q-275\nВерсия ПО: 0.0\nСер. номер: Не поддерживается\n"
               "Дата: Не поддерживается\nПроцессор ID: Не поддерживается\n"
               "Процессор REV: Не поддерживается\nПроцессор S/N: Не поддерживается\n"
            << "" << hex("79");
        QTest::newRow("test") << QStringList()
                              << QStringList{"test", "-p", "PORT", "-i", "DIR/o.obd"} << 0
                              << "Проверка конфигурации адаптера Q-275 выполнена.\n"
                              << "Загрузка тестовой конфигурации выполнена" << hex("74");
        QTest::newRow("write, refused")
            << QStringList{"--fault", "status=2,cmd=75"}
            << QStringList{"write", "-p", "PORT", "-i", "DIR/o.obd", "-q"} << 2 << ""
            << "q275-cli: Ошибка, выполнения команды адаптером Q-275" << hex("798075");
        QTest::newRow("write, short file")
            << QStringList() << QStringList{"write", "-p", "PORT", "-i", "DIR/short.obd"} << 3 << ""
            << "q275-cli: Файл DIR/short.obd не соответсвует типу устройства." << QByteArray();
        QTest::newRow("show, corrupt file")
            << QStringList() << QStringList{"show", "DIR/corrupt.obd"} << 3 << ""
            << "q275-cli: Конфигурация адаптера Q-275 повреждена" << QByteArray();
        QTest::newRow("show")
            << QStringList() << QStringList{"show", "DIR/o.obd"} << 0
            << "RE:^Вход приемника · Аттенюатор: -12\\.0 дБ\n(.*\n){14}Вход микрофона · "
               "Аттенюатор: 0\\.0 дБ\n(.*\n)+Запись · Контрольная сумма: 0x[0-9A-F]{2}\n$"
            << "" << QByteArray();
        QTest::newRow("show --json")
            << QStringList() << QStringList{"show", "--json", "DIR/o.obd"} << 0
            << "RE:\"microphone\": \\{\n(.*\n)*        \"gain\": \"11\\.0 дБ\",\n(.*\n)*"
               "    \"output\": \\{\n        \"pin3_microphone\": \"Вкл\\.\",\n"
            << "" << QByteArray();
        QTest::newRow("trace") << QStringList{"--trace-rate", "0", "trace 01 0A FF",
                                              "trace 07 01 02"}
                               << QStringList{"trace", "-p",     "PORT", "--seconds",
                                              "1",     "--mask", "0x3",  "-q"}
                               << 0
                               << "RE:^\\d\\d:\\d\\d:\\d\\d-> I2C TxD=>0x0A; 0xFF; \n"
                                  "\\d\\d:\\d\\d:\\d\\d-> ошибка канала=7 ; n=2\n$"
                               << "" << hex("7778787877");
        QTest::newRow("trace, output full") // the board is switched off all the same
            << QStringList{"--trace-rate", "0", "trace 01 0A FF"}
            << QStringList{"trace", "-p", "PORT", "--seconds", "30", "-q", ">/dev/full"} << 3 << ""
            << "q275-cli: Стандартный вывод не удалось записать." << hex("777877");
        QTest::newRow("show, output full")
            << QStringList() << QStringList{"show", "DIR/o.obd", ">/dev/full"} << 3 << ""
            << "q275-cli: Стандартный вывод не удалось записать." << QByteArray();
        QTest::newRow("seconds beyond a timer")
            << QStringList() << QStringList{"trace", "--seconds", "2147484"} << 3 << ""
            << "q275-cli: число секунд должно быть целым от 0 до 2147483: 2147484" << QByteArray();
        QTest::newRow("option without its value")
            << QStringList() << QStringList{"read", "-o"} << 3 << ""
            << "q275-cli: параметру -o нужно значение" << QByteArray();
        QTest::newRow("unknown option")
            << QStringList() << QStringList{"read", "--bogus"} << 3 << ""
            << "q275-cli: неизвестный параметр: --bogus" << QByteArray();
        QTest::newRow("no port") << QStringList() << QStringList{"info"} << 3 << ""
                                 << "q275-cli: порт не задан: укажите -p ПОРТ или запишите его в "
                                    "Q275.ini"
                                 << QByteArray();
        QTest::newRow("help") << QStringList() << QStringList{"--help"} << 0
                              << "RE:^Использование: q275-cli КОМАНДА"
                              << "" << QByteArray();
        QTest::newRow("command help")
            << QStringList() << QStringList{"trace", "--help"} << 0
            << "RE:^Использование: q275-cli trace .*\n(.*\n)*  --seconds N"
            << "" << QByteArray();
    }
    void runs()
    {
        QFETCH(QStringList, board);
        QFETCH(QStringList, args);
        QFETCH(QString, out);
        QFETCH(QString, err);
        QFETCH(QByteArray, commands);
        out.replace(QStringLiteral("DIR"), dir.path());
        err.replace(QStringLiteral("DIR"), dir.path());
        QStringList options, controls;
        for (const QString &s : board)
            (s.contains(' ') ? controls : options) << s;
        QVERIFY2(sim->start(options), qPrintable(sim->error()));
        for (const QString &c : controls)
            QVERIFY(sim->control(c));
        const QByteArray other = image(otherRecord());
        put("o.obd", other);
        put("old.obd", "earlier bytes");
        put("short.obd", other.left(821));
        put("corrupt.obd", other.left(821) + char(other[821] + 1));

        QString gotOut, gotErr;
        QTEST(cli(args, &gotOut, &gotErr), "status");
        if (out.startsWith(QLatin1String("RE:")))
            QVERIFY2(QRegularExpression(out.mid(3)).match(gotOut).hasMatch(), qPrintable(gotOut));
        else
            QCOMPARE(gotOut, out);
        if (err.isEmpty())
            QVERIFY2(gotErr.isEmpty() || !args.contains("-q"), qPrintable(gotErr));
        else
            QVERIFY2(gotErr.split('\n').contains(err), qPrintable(gotErr));
        QByteArray sent;
        for (quint8 c : sim->commands())
            sent += char(c);
        QCOMPARE(sent.toHex(), commands.toHex());
        // A failed read leaves the earlier file as it was; a good one writes the board's.
        QCOMPARE(file("old.obd"), QByteArray("earlier bytes"));
        if (QTest::currentDataTag() == QLatin1String("read"))
            QCOMPARE(file("a.obd"), image(sim->record("config")));
        if (QTest::currentDataTag() == QLatin1String("test")) {
            QCOMPARE(sim->record("test"), other.mid(ObdFile::HeaderSize));
            QCOMPARE(sim->record("config"), newRecord());
        }
    }

    // A changed file written into the board is what the next read brings back, and both
    // land in the board's history.
    void readWriteRead()
    {
        QVERIFY2(sim->start(), qPrintable(sim->error()));
        QDir(dir.filePath("data")).removeRecursively(); // the history of this board alone
        put("Q275.ini", sim->portName().toLocal8Bit()); // the port as the terminal takes it
        QCOMPARE(cli({"read", "-o", "DIR/first.obd", "-q"}), 0);
        QCOMPARE(file("first.obd"), image(newRecord()));
        put("changed.obd", image(otherRecord()));
        QCOMPARE(cli({"write", "-i", "DIR/changed.obd", "-q"}), 0);
        QCOMPARE(sim->record("config"), otherRecord());
        QCOMPARE(cli({"read", "-o", "DIR/first.obd", "-q"}), 0);
        QCOMPARE(file("first.obd"), image(otherRecord()));
        QDir history(dir.filePath("data/Veltrona/Terminal Q-275/history/0275"));
        const QStringList kept = history.entryList(QDir::Files, QDir::Name);
        QCOMPARE(kept.size(), 3);
        QCOMPARE(kept.filter(QRegularExpression("-write(-\\d)?\\.obd$")).size(), 1);
    }
};

QTEST_GUILESS_MAIN(TstCli)
#include "tst_cli.moc"
