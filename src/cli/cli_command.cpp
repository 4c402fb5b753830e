#include "cli_command.h"

#include "app/settings_folder.h"
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
