#include "install_switches.h"

#include "foundation/command_line.h"
#include "foundation/paths.h"

#include <QFileInfo>

namespace orvix {

namespace {

// "1" ticks, any other value unticks; an absent (or empty) switch changes nothing.
std::optional<bool> boxSwitch(const QString &name)
{
    const QString value = GetSwitchValue(name);
    if (value.isEmpty())
        return std::nullopt;
    return value == QLatin1String("1");
}

} // namespace

InstallSwitches InstallSwitches::FromCommandLine()
{
    InstallSwitches s;
    s.noInstall = HasSwitch(QStringLiteral("noinstall"));
    s.forceInstall = HasSwitch(QStringLiteral("ForceInstall"));
    s.uninstallMode = HasSwitch(QStringLiteral("uninstall"));
    s.autoStart = HasSwitch(QStringLiteral("AutoStart"));
    s.autoExit = HasSwitch(QStringLiteral("AutoExit"));
    s.uninstall = HasSwitch(QStringLiteral("Uninstall"));
    QString path = GetSwitchValue(QStringLiteral("InstallationPath"));
    // No shell takes the quotes off "/InstallationPath=\"...\"" when it comes as one argument.
    if (path.size() >= 2 && path.startsWith(u'"') && path.endsWith(u'"'))
        path = path.mid(1, path.size() - 2);
    if (!path.isEmpty())
        s.installationPath = path;
    s.desktopIcon = boxSwitch(QStringLiteral("DesktopIcon"));
    s.quickLaunchIcon = boxSwitch(QStringLiteral("QuickLaunchIcon"));
    s.startMenuEntry = boxSwitch(QStringLiteral("StartMenuEntry"));
    if (const std::optional<bool> local = boxSwitch(QStringLiteral("LocalProfile")))
        s.roaming = !*local;
    s.removeSettings = boxSwitch(QStringLiteral("RemoveSettings"));
    return s;
}

bool IsDesktopFolder(const QString &folder, const QString &desktopFolder)
{
    const QString f = IncludeTrailingBackslash(folder).toLower();
    if (f.endsWith(QLatin1String("/desktop/")))
        return true;
    return !desktopFolder.isEmpty() && f == IncludeTrailingBackslash(desktopFolder).toLower();
}

bool ShouldShowInstallWizard(const InstallSwitches &switches, const QString &exeFilePath,
                             const QString &desktopFolder)
{
    if (switches.noInstall)
        return false;
    if (switches.forceInstall)
        return true;
    if (exeFilePath.toLower().contains(QLatin1String("_setup")))
        return true;
    return IsDesktopFolder(QFileInfo(exeFilePath).absolutePath(), desktopFolder);
}

} // namespace orvix
