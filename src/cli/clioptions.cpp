#include "cli/clioptions.h"

#include <QCommandLineParser>

#include "cli/cli.h"

namespace
{
// Every option of q275-cli: its names, the value it takes (none for a flag) and what a command
// must take for it (0: every command takes it).
struct OptionRow {
    QStringList names;
    const char *value;
    int takes;
};
const OptionRow kOptions[] = {
    {{"p", "port"}, "PORT", CliOptions::Port},
    {{"o"}, "FILE", CliOptions::Output},
    {{"i"}, "FILE", CliOptions::Input},
    {{"json"}, nullptr, CliOptions::Json},
    {{"mask"}, "M", CliOptions::Mask},
    {{"seconds"}, "N", CliOptions::Seconds},
    {{"verify"}, nullptr, CliOptions::Verify},
    {{"q", "quiet"}, nullptr, 0},
    {{"v", "verbose"}, nullptr, 0},
    {{"h", "help"}, nullptr, 0},
    {{"version"}, nullptr, 0},
};

struct CommandRow {
    const char *name;
    int takes;
};
const CommandRow kCommands[] = {
    {"ports", CliOptions::Json},
    {"info", CliOptions::Port | CliOptions::Json},
    {"read", CliOptions::Port | CliOptions::Output},
    {"write", CliOptions::Port | CliOptions::Input | CliOptions::Verify},
    {"test", CliOptions::Port | CliOptions::Input},
    {"verify", CliOptions::Port | CliOptions::Input},
    {"trace", CliOptions::Port | CliOptions::Mask | CliOptions::Seconds},
    {"show", CliOptions::Json | CliOptions::File},
};

const OptionRow *option(const QString &name)
{
    for (const OptionRow &o : kOptions) {
        if (o.names.contains(name))
            return &o;
    }
    return nullptr;
}

// An option's name as it is typed: "-p", "--port".
QString typed(const QString &name)
{
    return (name.size() == 1 ? QStringLiteral("-") : QStringLiteral("--")) + name;
}

bool toNumber(const QString &text, int &value)
{
    bool ok = false;
    value = text.startsWith(QLatin1String("0x"), Qt::CaseInsensitive) ? text.mid(2).toInt(&ok, 16)
                                                                      : text.toInt(&ok, 10);
    return ok;
}

// Why QCommandLineParser refused the arguments: an option it does not know, one whose value is
// missing (the last argument: "-o", "--port", "-qp"), or a value given to a flag ("--json=1").
QString refusal(const QCommandLineParser &parser, const QStringList &args)
{
    const QStringList unknown = parser.unknownOptionNames();
    if (!unknown.isEmpty())
        return Cli::tr("неизвестный параметр: %1").arg(typed(unknown.first()));
    const QString last = args.isEmpty() ? QString() : args.last();
    const QString name = last.startsWith(QLatin1String("--")) ? last.mid(2) : last.right(1);
    const OptionRow *o = option(name);
    if (o && o->value && !last.contains(QLatin1Char('=')))
        return Cli::tr("параметру %1 нужно значение").arg(typed(name));
    for (const QString &arg : args) {
        if (arg.startsWith(QLatin1String("--")) && arg.contains(QLatin1Char('=')))
            return Cli::tr("неизвестный параметр: %1").arg(arg);
    }
    return parser.errorText();
}
} // namespace

int CliOptions::takes(const QString &command)
{
    for (const CommandRow &c : kCommands) {
        if (command == QLatin1String(c.name))
            return c.takes;
    }
    return -1;
}

bool CliOptions::parse(const QStringList &args, QString *problem)
{
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsCompactedShortOptions);
    for (const OptionRow &o : kOptions)
        parser.addOption(o.value ? QCommandLineOption(o.names, QString(), QLatin1String(o.value))
                                 : QCommandLineOption(o.names));
    if (!parser.parse(QStringList(QStringLiteral("q275-cli")) + args)) {
        *problem = refusal(parser, args);
        return false;
    }
    help = parser.isSet(QStringLiteral("help"));
    version = parser.isSet(QStringLiteral("version"));
    QStringList positional = parser.positionalArguments();
    command = positional.isEmpty() ? QString() : positional.takeFirst();
    if (command.isEmpty() && !help && !version) {
        *problem = Cli::tr("не задана команда");
        return false;
    }
    if (!command.isEmpty() && takes(command) < 0) {
        *problem = Cli::tr("неизвестная команда: %1").arg(command);
        return false;
    }
    if ((takes(command) & File) && !positional.isEmpty())
        file = positional.takeFirst();
    if (!positional.isEmpty()) {
        *problem = Cli::tr("неизвестный параметр: %1").arg(positional.first());
        return false;
    }
    return takeValues(parser, problem);
}

// The options given, each checked against the command, and their values.
bool CliOptions::takeValues(const QCommandLineParser &parser, QString *problem)
{
    const int allowed = takes(command);
    const QStringList given = parser.optionNames();
    for (const QString &name : given) {
        const OptionRow *o = option(name);
        if (o->takes && !(allowed & o->takes)) {
            *problem = Cli::tr("параметр %1 не подходит к этой команде").arg(typed(name));
            return false;
        }
    }
    const auto value = [&parser](const char *name) { return parser.value(QLatin1String(name)); };
    port = value("port");
    input = value("i");
    output = value("o");
    json = parser.isSet(QStringLiteral("json"));
    verify = parser.isSet(QStringLiteral("verify"));
    quiet = parser.isSet(QStringLiteral("quiet"));
    verbose = parser.isSet(QStringLiteral("verbose"));
    if (parser.isSet(QStringLiteral("mask")) &&
        (!toNumber(value("mask"), mask) || mask < 1 || mask > 255)) {
        *problem = Cli::tr("маска каналов должна быть числом от 1 до 255: %1").arg(value("mask"));
        return false;
    }
    if (parser.isSet(QStringLiteral("seconds")) &&
        (!toNumber(value("seconds"), seconds) || seconds < 0 || seconds > MaxSeconds)) {
        *problem = Cli::tr("число секунд должно быть целым от 0 до %1: %2")
                       .arg(MaxSeconds)
                       .arg(value("seconds"));
        return false;
    }
    return true;
}
