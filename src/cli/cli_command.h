#pragma once

#include <QString>
#include <QStringList>
#include <QTextStream>

#include <type_traits>
#include <vector>

namespace orvix::cli {

// Exit codes shared by every subcommand.
inline constexpr int ExitOk = 0;
inline constexpr int ExitFailed = 1;
inline constexpr int ExitUsage = 2; // bad arguments or an input that cannot be read

// What --help says of them; the README repeats it word for word.
extern const char kExitCodesHelp[];

// A stream to the terminal. Texts may carry input (a line of an item file, an address, a page's
// title, a server's reply): every QString is written with its control characters escaped, so
// none of them reaches the terminal as a command. The program's own literals (char texts,
// characters) and numbers pass as they are; lines() writes a text of the program's own that
// spans lines.
class TTermStream
{
public:
    explicit TTermStream(QTextStream &stream) : m_stream(stream) {}

    TTermStream &operator<<(QStringView text);
    TTermStream &operator<<(const QString &text) { return *this << QStringView(text); }
    TTermStream &operator<<(const char *literal)
    {
        m_stream << literal;
        return *this;
    }
    TTermStream &operator<<(char c)
    {
        m_stream << c;
        return *this;
    }
    template<typename N>
        requires(std::is_arithmetic_v<N> && !std::is_same_v<N, char> && !std::is_same_v<N, bool>)
    TTermStream &operator<<(N number)
    {
        m_stream << number;
        return *this;
    }
    TTermStream &lines(const QString &text);
    void flush() { m_stream.flush(); }

private:
    QTextStream &m_stream;
};

struct TCliIo
{
    TTermStream out; // results (JSON, lists)
    TTermStream err; // reports and errors
};

using TCliRun = int (*)(const QStringList &args, TCliIo &io);

struct TCliCommand
{
    QString name;
    QString usage;   // arguments after the name, e.g. "FILE [--address=URL]"
    QString summary; // one line for the overview
    TCliRun run;
    QString details = {}; // further lines for --help
    // The common options, besides --site and --maker, that the command reads (as "settings");
    // the others are taken out of its arguments before it runs.
    QStringList commonOptions = {};
};

// Subcommands register themselves with a static TCliRegistration in their own file.
const std::vector<TCliCommand> &CliCommands();
const TCliCommand *FindCliCommand(const QString &name);

struct TCliRegistration
{
    explicit TCliRegistration(TCliCommand command);
};

// Takes out of args every common option (--settings, --out, --retries, --size; main takes --site
// and --maker itself) that command does not use: they mean nothing to it.
void DropCommonOptionsNotUsed(QStringList &args, const TCliCommand &command);

// The value of "--name=value" among args, removing it; false when absent.
bool TakeOption(QStringList &args, const QString &name, QString &value);

// For the commands that only read the settings folder: takes --settings=FOLDER (and --site, which
// they accept as every command does) out of args. False, after a message, for an empty folder.
bool TakeReadOnlySettingsOption(QStringList &args, TCliIo &io, const QString &command, QString &settings);
// The settings folder the desktop program would use (ending with "/"), or settings when given;
// found without creating or moving anything.
QString LookUpSettingsFolder(const QString &settings);

} // namespace orvix::cli
