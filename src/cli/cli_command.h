#pragma once

#include <QString>
#include <QStringList>
#include <QTextStream>
#include <vector>

namespace orvix::cli {

// Exit codes shared by every subcommand.
inline constexpr int ExitOk = 0;
inline constexpr int ExitFailed = 1;
inline constexpr int ExitUsage = 2; // bad arguments or an input that cannot be read

struct TCliIo
{
    QTextStream &out; // results (JSON, lists)
    QTextStream &err; // reports and errors
};

using TCliRun = int (*)(const QStringList &args, TCliIo &io);

struct TCliCommand
{
    QString name;
    QString usage;   // arguments after the name, e.g. "FILE [--address=URL]"
    QString summary; // one line for the overview
    TCliRun run;
    QString details = {}; // further lines for --help
};

// Subcommands register themselves with a static TCliRegistration in their own file.
const std::vector<TCliCommand> &CliCommands();
const TCliCommand *FindCliCommand(const QString &name);

struct TCliRegistration
{
    explicit TCliRegistration(TCliCommand command);
};

// The value of "--name=value" among args, removing it; false when absent.
bool TakeOption(QStringList &args, const QString &name, QString &value);

// For the commands that only read the settings folder: takes --settings=FOLDER (and --site, which
// they accept as every command does) out of args. False, after a message, for an empty folder.
bool TakeReadOnlySettingsOption(QStringList &args, TCliIo &io, const QString &command, QString &settings);
// The settings folder the desktop program would use (ending with "/"), or settings when given;
// found without creating or moving anything.
QString LookUpSettingsFolder(const QString &settings);

} // namespace orvix::cli
