#include "cli_command.h"

#include "app/settings_folder.h"
#include "foundation/message_quote.h"
#include "foundation/paths.h"

#include <QFileInfo>

#include <algorithm>

namespace orvix::cli {

namespace {

// Filled while static objects are constructed, before main runs; read-only afterwards.
std::vector<TCliCommand> &registry()
{
    static std::vector<TCliCommand> commands;
    return commands;
}

} // namespace

const std::vector<TCliCommand> &CliCommands()
{
    return registry();
}

const TCliCommand *FindCliCommand(const QString &name)
{
    const auto &commands = registry();
    const auto it = std::find_if(commands.begin(), commands.end(),
                                 [&](const TCliCommand &c) { return c.name == name; });
    return it == commands.end() ? nullptr : &*it;
}

TCliRegistration::TCliRegistration(TCliCommand command)
{
    auto &commands = registry();
    const auto at = std::lower_bound(commands.begin(), commands.end(), command.name,
                                     [](const TCliCommand &c, const QString &n) { return c.name < n; });
    commands.insert(at, std::move(command));
}

const char kExitCodesHelp[] =
    "exit codes:\n"
    "  0  everything asked for was done; for get, paste and resume: every picture asked for was saved,\n"
    "     as a picture the program can read, in the folder chosen\n"
    "  1  something was not done, and is named: a picture or page that failed (its line stays for\n"
    "     \"orvix-cli resume\"), a page the program does not recognise, a private picture skipped (it\n"
    "     needs approval in the browser), a line that could not be queued or read (a malformed line,\n"
    "     an item file that cannot be written), a run stopped (Ctrl+C, SIGTERM: at once, a download\n"
    "     under way included; the rest stays for resume), or leftover lines resume cannot take\n"
    "     (\"orvix-cli discard\" removes them); search without a match; pending with an item file it\n"
    "     cannot read; a maker command the service did not answer as asked\n"
    "  2  bad arguments, among them an --out that cannot be used or holds \"|\"; a file given that\n"
    "     cannot be read\n";

void DropCommonOptionsNotUsed(QStringList &args, const TCliCommand &command)
{
    for (const char *name : {"settings", "out", "retries", "size"}) {
        if (command.commonOptions.contains(QLatin1String(name)))
            continue;
        const QString prefix = QStringLiteral("--") + QLatin1String(name) + u'=';
        args.removeIf([&](const QString &a) { return a.startsWith(prefix); });
    }
}

TTermStream &TTermStream::operator<<(QStringView text)
{
    m_stream << TerminalText(text);
    return *this;
}

TTermStream &TTermStream::lines(const QString &text)
{
    m_stream << TerminalText(text, true);
    return *this;
}

bool TakeOption(QStringList &args, const QString &name, QString &value)
{
    const QString prefix = QStringLiteral("--") + name + u'=';
    for (qsizetype i = 0; i < args.size(); ++i) {
        if (args[i].startsWith(prefix)) {
            value = args[i].mid(prefix.size());
            args.removeAt(i);
            return true;
        }
    }
    return false;
}

bool TakeReadOnlySettingsOption(QStringList &args, TCliIo &io, const QString &command, QString &settings)
{
    if (TakeOption(args, QStringLiteral("settings"), settings) && settings.trimmed().isEmpty()) {
        io.err << "orvix-cli " << command << ": --settings needs a folder\n";
        return false;
    }
    QString site; // the folder does not depend on it
    TakeOption(args, QStringLiteral("site"), site);
    return true;
}

QString LookUpSettingsFolder(const QString &settings)
{
    SettingsFolderInputs inputs = CurrentSettingsFolderInputs();
    if (!settings.isEmpty())
        inputs.overrideFolder = QFileInfo(settings).absoluteFilePath();
    return IncludeTrailingBackslash(ResolveSettingsFolder(inputs).folder);
}

} // namespace orvix::cli
