#ifndef CLIOPTIONS_H
#define CLIOPTIONS_H

#include <QString>
#include <QStringList>

// The command line of q275-cli, read with QCommandLineParser as command-line tools read theirs:
// options before or after the command, "--port=NAME" and "--port NAME", flags grouped ("-qv"),
// "--" ending the options, "-" an ordinary argument (standard input or output as a file).
class CliOptions
{
public:
    // What a command takes besides -q, -v and -h.
    enum Takes {
        Port = 0x01,
        Output = 0x02,
        Input = 0x04,
        Json = 0x08,
        Mask = 0x10,
        Seconds = 0x20,
        Verify = 0x40,
        File = 0x80, // one file named without an option (show)
    };
    enum { MaxSeconds = 2147483 }; // the longest trace, in seconds: what a timer holds in ms

    // Reads the arguments (the program's name left out). False with the problem, in the words
    // q275-cli says it in.
    bool parse(const QStringList &args, QString *problem);

    // What the command takes; -1 for a name that is no command.
    static int takes(const QString &command);

    QString command; // empty with --help or --version alone
    QString port, input, output, file;
    bool json = false, quiet = false, verbose = false, help = false, version = false;
    bool verify = false;
    int mask = 0x0F;
    int seconds = -1;

private:
    bool takeValues(const class QCommandLineParser &parser, QString *problem);
};

#endif // CLIOPTIONS_H
