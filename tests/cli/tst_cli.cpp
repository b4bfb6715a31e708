// q275-cli as a technician runs it: the real program against the board simulator, one
// table of command lines with their exit status, output and what reached the board.
#include <QtTest>

#include <csignal>
#include <fcntl.h>
#include <unistd.h>

#include "config/obdfile.h"
#include "linktexts.h"
#include "simharness.h"
#include "testkit.h"

using namespace LinkText;
using Files = QMap<QString, QByteArray>;

// A command line against a new board, and what comes of it.
struct CliCase {
    QStringList board{}; // simulator options, then control lines
    QStringList args{};  // PORT and DIR stand for the board's line and the folder; a last
                         // ">FILE" sends stdout there
    int status = 0;
    QStringList err{};     // lines stderr must hold (a quiet run writes no other)
    QByteArray commands{}; // command bytes on the line, in order
    Files files{};         // files in the folder afterwards
    Files records{};       // the board's records afterwards
    QByteArray rawArg{};   // one more argument, these bytes as they stand (DIR replaced)
    bool stalled = false;  // stdout is a pipe that is full and that nobody reads
    quint8 interruptAt{};  // Ctrl+C once the board has got this command
    QString language{};    // the user's language (LANGUAGE); none named by default
    QString input{};       // a file of the folder on standard input
};
Q_DECLARE_METATYPE(CliCase)

class TstCli : public QObject
{
    Q_OBJECT

    QTemporaryDir dir;
    std::unique_ptr<SimHarness> sim;

    // Runs the row's q275-cli in the temporary folder (the history in its data folder); PORT
    // and DIR in the arguments stand for the simulator's link and the folder, a last ">FILE"
    // sends stdout there.
    int cli(const CliCase &c, QString *out = nullptr, QString *err = nullptr)
    {
        QStringList args = c.args;
        args.replaceInStrings(QStringLiteral("PORT"), sim->portName());
        args.replaceInStrings(QStringLiteral("DIR"), dir.path());
        QProcess p;
        if (!args.isEmpty() && args.last().startsWith(QLatin1Char('>')))
            p.setStandardOutputFile(args.takeLast().mid(1));
        p.setWorkingDirectory(dir.path());
        if (!c.input.isEmpty())
            p.setStandardInputFile(dir.filePath(c.input));
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("Q275_USER_DIR"), dir.path());
        env.insert(QStringLiteral("LANGUAGE"), c.language);
        QString program = qEnvironmentVariable("Q275_CLI");
        if (!c.rawArg.isEmpty()) { // a shell's printf makes the bytes that a QString cannot
            const QByteArray raw =
                QByteArray(c.rawArg).replace("DIR", QFile::encodeName(dir.path()));
            QString octal;
            for (const char b : raw)
                octal += QString("\\0%1").arg(quint8(b), 3, 8, QLatin1Char('0'));
            env.insert("Q275_RAW", octal);
            args = QStringList{"-c", R"sh(exec "$0" "$@" "$(printf %b "$Q275_RAW")")sh", program} +
                   args;
            program = "/bin/sh";
        }
        p.setProcessEnvironment(env);
        int full[2] = {-1, -1};
        if (c.stalled && ::pipe(full) == 0) {
            const int flags = ::fcntl(full[1], F_GETFL);
            ::fcntl(full[1], F_SETFL, flags | O_NONBLOCK);
            while (::write(full[1], QByteArray(4096, 'x').constData(), 4096) > 0) {
            }
            ::fcntl(full[1], F_SETFL, flags);
            p.setChildProcessModifier([fd = full[1]] { ::dup2(fd, STDOUT_FILENO); });
        }
        p.start(program, args);
        if (c.interruptAt && waitFor([&] { return sim->commands().contains(c.interruptAt); }))
            ::kill(pid_t(p.processId()), SIGINT);
        const bool ended = p.waitForFinished(30000);
        ::close(full[0]), ::close(full[1]);
        if (!ended)
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

    // Runs the row's command line against a new board with the files o.obd (a valid
    // configuration), old.obd, short.obd and -c.obd (corrupt) in the folder; out is its stdout.
    void run(const CliCase &c, QString &out)
    {
        QStringList options, controls;
        for (const QString &s : c.board)
            (s.contains(' ') ? controls : options) << s;
        QVERIFY2(sim->start(options), qPrintable(sim->error()));
        for (const QString &line : controls)
            QVERIFY2(sim->control(line), qPrintable(line));
        const QByteArray other = image(otherRecord());
        put("o.obd", other);
        put("old.obd", "earlier bytes");
        put("short.obd", other.left(821));
        put("-c.obd", other.left(821) + char(other[821] + 1));
        QString err;
        QCOMPARE(cli(c, &out, &err), c.status);
        // The lines stderr must hold; a quiet run writes no other.
        const QStringList errLines = err.split('\n', Qt::SkipEmptyParts);
        for (QString line : c.err)
            QVERIFY2(
                errLines.contains(line.replace("DIR", dir.path()).replace("PORT", sim->portName())),
                qPrintable(err));
        QVERIFY2(!c.args.contains("-q") || errLines.size() == c.err.size(), qPrintable(err));
        QByteArray sent;
        for (quint8 cmd : sim->commands())
            sent += char(cmd);
        QCOMPARE(sent.toHex(), c.commands.toHex());
        // A failed read leaves the earlier file as it was; the files and the board's records
        // hold what the row says.
        QCOMPARE(file("old.obd"), QByteArray("earlier bytes"));
        for (auto it = c.files.cbegin(); it != c.files.cend(); ++it)
            QVERIFY2(file(it.key()) == it.value(), qPrintable(it.key()));
        for (auto it = c.records.cbegin(); it != c.records.cend(); ++it)
            QVERIFY2(sim->record(it.key()) == it.value(), qPrintable(it.key()));
        out.replace(dir.path(), "DIR");
    }

private slots:
    void init() { sim.reset(new SimHarness); } // a board of its own, as new

    // Command lines with their whole output.
    void runs_data()
    {
        QTest::addColumn<CliCase>("c");
        QTest::addColumn<QString>("out");
        const auto add = [](const char *row, const CliCase &c, const QString &out = {}) {
            QTest::newRow(row) << c << out;
        };
        // A bad file or a bad command line: status 3 and this one line.
        const auto bad = [&add](const char *row, const QStringList &args, const QString &line) {
            add(row, {.args = args, .status = 3, .err = {"q275-cli: " + line}});
        };
        bad("write, short file", {"write", "-p", "PORT", "-i", "DIR/short.obd"},
            "Файл DIR/short.obd не соответсвует типу устройства.");
        bad("show, corrupt file named like an option, after --", {"show", "--", "-c.obd"},
            "Конфигурация адаптера Q-275 повреждена");
        bad("show, output full", {"show", "DIR/o.obd", ">/dev/full"},
            "Стандартный вывод не удалось записать.");
        bad("seconds beyond a timer", {"trace", "--seconds", "2147484"},
            "число секунд должно быть целым от 0 до 2147483: 2147484");
        bad("option without its value", {"read", "-o"}, "параметру -o нужно значение");
        bad("unknown option in a group", {"info", "-qx"}, "неизвестный параметр: -x");
        bad("no port", {"info"},
            "порт не задан: укажите -p ПОРТ или запишите его в DIR/config/Q275.ini");
        const QString readStopped = "q275-cli: Ошибка. Чтение конфигурации прервано.";
        add("read, --port=NAME",
            {.args = {"read", "--port=PORT", "-o", "DIR/a.obd", "-q"},
             .commands = hex("798076"),
             .files = {{"a.obd", image(newRecord())}}},
            "Конфигурация адаптера Q-275, (822 байт) записана в файл: DIR/a.obd\n");
        add("read, record corrupt, options before the command",
            {.board = {"--config", "0F040073648F418000001673648F4180000000E4"},
             .args = {"-q", "--port", "PORT", "read", "-o", "DIR/old.obd"},
             .status = 2,
             .err = {"q275-cli: Конфигурация адаптера Q-275 повреждена"},
             .commands = hex("798076")});
        add("read, no echo", // not a port line
            {.board = {"--fault", "no-echo"},
             .args = {"read", "-p", "PORT", "-o", "DIR/old.obd", "-q", "-v"},
             .status = 1,
             .err = {"q275-cli: " + noRib, readStopped},
             .commands = hex("79")});
        add("test, line closed, flags grouped", // why, in every mode
            {.board = {"--fault", "close"},
             .args = {"test", "-qp", "PORT", "-i", "DIR/o.obd"},
             .status = 1,
             .err = {"q275-cli: " + portLost.arg("PORT"),
                     "q275-cli: Ошибка. Загрузка конфигурации прервана."},
             .commands = hex("74")});
        add("info --json", {.args = {"info", "-p", "PORT", "--json"}, .commands = hex("7980")},
            "{\"date\":\"2011-03-15\",\"model\":\"Q-275\",\"processor_id\":\"0x080\","
            "\"processor_rev\":\"0x03\",\"processor_sn\":\"0x3A01F0D51333032383934\","
            "\"serial\":\"0275\",\"version\":\"1.3\"}\n");
        add("info, no identity",
            {.board = {"--no-identity"},
             .args = {"info", "-p", "PORT", "-q"},
             .commands = hex("79")},
            "Модель: Q-275\nВерсия ПО: 0.0\nСер. номер: Не поддерживается\n"
            "Дата: Не поддерживается\nПроцессор ID: Не поддерживается\n"
            "Процессор REV: Не поддерживается\nПроцессор S/N: Не поддерживается\n");
        add("test, standard input",
            {.args = {"test", "-p", "PORT", "-i", "-"},
             .err = {testDone},
             .commands = hex("74"),
             .records = {{"test", otherRecord()}, {"config", newRecord()}},
             .input = "o.obd"},
            "Проверка конфигурации адаптера Q-275 выполнена.\n");
        add("read, standard output, demo board",
            {.args = {"read", "-p", "DEMO", "-q", "-o", "-", ">DIR/b.obd"},
             .files = {{"b.obd", image(newRecord())}}});
        add("write --verify, the board keeps another record",
            {.board = {"--fault", "status=0,cmd=75"},
             .args = {"write", "--verify", "-p", "PORT", "-i", "DIR/o.obd", "-q"},
             .status = 2,
             .err = {"q275-cli: Конфигурация в плате отличается: байт 1, ожидался 0x25, "
                     "прочитан 0x04"},
             .commands = hex("79807576"),
             .records = {{"config", newRecord()}}});
        add("write, refused",
            {.board = {"--fault", "status=2,cmd=75"},
             .args = {"write", "-p", "PORT", "-i", "DIR/o.obd", "-q"},
             .status = 2,
             .err = {"q275-cli: " + status2, "q275-cli: Ошибка. Запись конфигурации прервана."},
             .commands = hex("798075")});
        add("trace, output full", // the board is switched off all the same
            {.board = {"--trace-rate", "0", "trace 01 0A FF"},
             .args = {"trace", "-p", "PORT", "--seconds", "30", "-q", ">/dev/full"},
             .status = 3,
             .err = {"q275-cli: Стандартный вывод не удалось записать."},
             .commands = hex("777877")});
        // Stopping and the time limit work whatever stdout does; the board ends switched off.
        const QString traceStopped = "q275-cli: Ошибка. Трассировка прервана.";
        add("trace, output stalled", {.board = {"--trace-rate", "0", "trace 01 0A FF"},
                                      .args = {"trace", "-p", "PORT", "--seconds", "1", "-q"},
                                      .status = 3,
                                      .err = {"q275-cli: Стандартный вывод не удалось записать."},
                                      .commands = hex("777877"),
                                      .records = {{"trace", hex("00")}},
                                      .stalled = true});
        add("trace, Ctrl+C before a slow board answers",
            {.board = {"--latency", "1500"},
             .args = {"trace", "-p", "PORT", "-q"},
             .status = 1,
             .err = {"q275-cli: Плата не подтвердила включение трассировки до остановки.",
                     traceStopped},
             .commands = hex("7777"),
             .records = {{"trace", hex("00")}},
             .interruptAt = 0x77});
        // A trace that never reached the board, or whose polls all failed, is a line failure.
        add("trace, port missing, no time",
            {.args = {"trace", "-p", "DIR/none", "--seconds", "0", "-q"},
             .status = 1,
             .err = {"q275-cli: " + noOpen.arg("DIR/none", notFound), traceStopped}});
        add("trace, every poll fails", // the time is up in the pause after the first
            {.board = {"--latency", "200", "--fault", "wrong-id,always,cmd=78"},
             .args = {"trace", "-p", "PORT", "--seconds", "1", "-q"},
             .status = 1,
             .err = {"q275-cli: " + packetId.arg(121), traceStopped},
             .commands = hex("777877"),
             .records = {{"trace", hex("00")}}});
        add("a file name not in the system's encoding",
            {.args = {"read", "-p", "PORT", "-o"},
             .status = 3,
             .err = {"q275-cli: параметр DIR/bad\uFFFD.obd не в кодировке системы: такое имя "
                     "файла исказилось бы"},
             .rawArg = "DIR/bad\xff.obd"});
        add("unknown option, English user",
            {.args = {"read", "--bogus"},
             .status = 3,
             .err = {"q275-cli: unknown option: --bogus", "Help: q275-cli --help"},
             .language = "en_GB"});
    }
    void runs()
    {
        QFETCH(CliCase, c);
        QString out;
        run(c, out);
        QTEST(out, "out");
    }

    // Command lines whose output is checked by a regular expression.
    void matches_data()
    {
        QTest::addColumn<CliCase>("c");
        QTest::addColumn<QString>("pattern");
        // The same in every language.
        const QString json = "\"microphone\": \\{\n(.*\n)*        \"gain\": \"11\\.0 дБ\",\n(.*\n)*"
                             "    \"output\": \\{\n        \"pin3_microphone\": \"Вкл\\.\",\n";
        QTest::newRow("show, standard input")
            << CliCase{.args = {"show", "-"}, .input = "o.obd"}
            << "^Вход приемника · Аттенюатор: -12\\.0 дБ\n(.*\n){14}Вход микрофона · "
               "Аттенюатор: 0\\.0 дБ\n(.*\n)+Запись · Контрольная сумма: 0x[0-9A-F]{2}\n$";
        QTest::newRow("show --json") << CliCase{.args = {"show", "--json", "DIR/o.obd"}} << json;
        QTest::newRow("trace")
            << CliCase{.board = {"--trace-rate", "0", "trace 01 0A FF", "trace 07 01 02"},
                       .args = {"trace", "-p", "PORT", "--seconds", "1", "--mask", "0x3", "-q"},
                       .commands = hex("7778787877")}
            << "^\\d\\d:\\d\\d:\\d\\d-> I2C TxD=>0x0A; 0xFF; \n"
               "\\d\\d:\\d\\d:\\d\\d-> ошибка канала=7 ; n=2\n$";
        QTest::newRow("help") << CliCase{.args = {"--help"}} << "^Использование: q275-cli КОМАНДА";
        QTest::newRow("ports --json, the demo board last")
            << CliCase{.args = {"ports", "--json"}}
            << "[[,]\\{\"by_id\":null,\"description\":\"демонстрационная плата\","
               "\"manufacturer\":null,\"name\":\"DEMO\",\"serial_number\":null\\}\\]\n$";
        QTest::newRow("help, English user")
            << CliCase{.args = {"--help"}, .language = "en"} << "^Usage: q275-cli COMMAND";
        QTest::newRow("show, English user")
            << CliCase{.args = {"show", "DIR/o.obd"}, .language = "en"}
            << "^Receiver input · Attenuator: -12\\.0 dB\n(.*\n)+Record · Checksum: 0x";
        QTest::newRow("show --json, English user")
            << CliCase{.args = {"show", "--json", "DIR/o.obd"}, .language = "en"} << json;
        QTest::newRow("command help") << CliCase{.args = {"trace", "--help"}}
                                      << "^Использование: q275-cli trace .*\n(.*\n)*  --seconds N";
    }
    void matches()
    {
        QFETCH(CliCase, c);
        QFETCH(QString, pattern);
        QString out;
        run(c, out);
        QVERIFY2(QRegularExpression(pattern).match(out).hasMatch(), qPrintable(out));
    }

    // A changed file written into the board is what the next read brings back, and both
    // land in the board's history.
    void readWriteRead()
    {
        QVERIFY2(sim->start(), qPrintable(sim->error()));
        QDir(dir.filePath("data")).removeRecursively(); // the history of this board alone
        put("Q275.ini", sim->portName().toLocal8Bit()); // the port as the terminal takes it
        QCOMPARE(cli({.args = {"read", "-o", "DIR/first.obd", "-q"}}), 0);
        QCOMPARE(file("first.obd"), image(newRecord()));
        put("changed.obd", image(otherRecord()));
        QCOMPARE(cli({.args = {"write", "--verify", "-i", "DIR/changed.obd", "-q"}}), 0);
        QCOMPARE(sim->record("config"), otherRecord());
        QCOMPARE(cli({.args = {"read", "-o", "DIR/first.obd", "-q"}}), 0);
        QCOMPARE(file("first.obd"), image(otherRecord()));
        QDir history(dir.filePath("data/history/0275"));
        const QStringList kept = history.entryList(QDir::Files, QDir::Name);
        QCOMPARE(kept.size(), 3);
        QCOMPARE(kept.filter(QRegularExpression("-write(-\\d)?\\.obd$")).size(), 1);
    }
};

QTEST_GUILESS_MAIN(TstCli)
#include "tst_cli.moc"
