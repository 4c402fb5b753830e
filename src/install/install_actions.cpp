#include "install_actions.h"

#include "desktop_entries.h"
#include "self_delete.h"

#include "foundation/errors.h"
#include "foundation/files.h"
#include "foundation/paths.h"
#include "foundation/text.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>

#include <cstdio>

namespace orvix {

namespace {

// The older file name of the program, removed when a new copy is installed beside it.
constexpr char16_t kOlderExeName[] = u"Orvix_Downloader";

QString flag(bool on)
{
    return on ? QStringLiteral("1") : QStringLiteral("0");
}

} // namespace

void InstallFiles(const InstallerPaths &paths)
{
    QDir().mkpath(paths.InstallFolder);
    if (!QFileInfo(paths.InstallFolder).isDir())
        throw EOrvix(QStringLiteral("Could not create destination path"));

    const QString source = QFileInfo(paths.RunningExePath).canonicalFilePath();
    const QString target = paths.InstalledExePath;
    if (source != QFileInfo(target).canonicalFilePath()) {
        // A new file renamed over the old one: a copy that is running keeps its own file.
        const QString staging = target + QStringLiteral(".new");
        QFile::remove(staging);
        if (!QFile::copy(source, staging)) {
            QFile::remove(staging);
            throw EOrvix(QStringLiteral("Could not copy ") + source + QStringLiteral(" to ") + target);
        }
        QFile::setPermissions(staging, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadGroup
                                           | QFile::ExeGroup | QFile::ReadOther | QFile::ExeOther);
        if (::rename(QFile::encodeName(staging).constData(), QFile::encodeName(target).constData()) != 0) {
            QFile::remove(staging);
            throw EOrvix(QStringLiteral("Could not copy ") + source + QStringLiteral(" to ") + target);
        }
    }
    DeleteFileIfExists(paths.InstallFolder + QString::fromUtf16(kOlderExeName));
}

void SetRoamingMarker(const InstallerPaths &paths, bool roaming)
{
    if (roaming)
        CreateEmptyFile(paths.RoamingMarker());
    else
        DeleteFileIfExists(paths.RoamingMarker());
}

void CreateShortcuts(const InstallerPaths &paths, const InstallOptions &options)
{
    const QString icon = QString::fromUtf16(kProgramIconName);
    InstallThemeIcon(paths.IconThemeFolder, icon);
    DesktopEntry program;
    program.name = paths.ProgramDisplayName;
    program.comment = QStringLiteral("Browse the photo site and download its pictures");
    program.program = paths.InstalledExePath;
    program.workingFolder = ExcludeTrailingBackslash(paths.InstallFolder);
    program.icon = icon;
    program.categories = {QStringLiteral("Graphics"), QStringLiteral("Photography")};
    if (options.desktopIcon)
        WriteDesktopEntry(paths.DesktopShortcut(), program);
    if (options.startMenuEntry) {
        WriteDesktopEntry(paths.StartMenuShortcut(), program);
        DesktopEntry uninstall = program;
        uninstall.name = paths.UninstallShortcutName();
        uninstall.comment = QStringLiteral("Remove ") + paths.ProgramDisplayName + QStringLiteral(" from this computer");
        uninstall.arguments = {QStringLiteral("uninstall")};
        uninstall.icon = QStringLiteral("edit-delete");
        WriteDesktopEntry(paths.UninstallShortcut(), uninstall);
    }
}

void RemoveShortcuts(const InstallerPaths &paths)
{
    DeleteFileIfExists(paths.DesktopShortcut());
    DeleteFileIfExists(paths.StartMenuShortcut());
    DeleteFileIfExists(paths.UninstallShortcut());
    QDir().rmdir(paths.StartMenuFolder); // only when empty
    RemoveThemeIcon(paths.IconThemeFolder, QString::fromUtf16(kProgramIconName));
}

bool UninstallFiles(const InstallerPaths &paths)
{
    // The marker would keep the folder from being removed with the program file.
    DeleteFileIfExists(paths.RoamingMarker());
    if (!FileExists(paths.InstalledExePath))
        return false;
    ScheduleSelfDelete(paths.InstalledExePath);
    return true;
}

bool StartedThroughPkexec()
{
    return qEnvironmentVariableIsSet("PKEXEC_UID");
}

QString InstallCommandLine(const QString &folder, const InstallOptions &options)
{
    return TextFormatBraces(u"/ForceInstall /AutoStart /AutoExit /InstallationPath=\"{0}\" /DesktopIcon={1} "
                            u"/QuickLaunchIcon={2} /StartMenuEntry={3} /LocalProfile={4}",
                            {folder, flag(options.desktopIcon), flag(options.quickLaunchIcon),
                             flag(options.startMenuEntry), flag(!options.roaming)});
}

QString UninstallCommandLine(const QString &folder, bool removeSettings)
{
    return TextFormatBraces(u"/ForceInstall /AutoStart /AutoExit /Uninstall /InstallationPath=\"{0}\" /RemoveSettings={1}",
                            {folder, flag(removeSettings)});
}

QStringList CommandLineArguments(const QString &commandLine)
{
    return QProcess::splitCommand(commandLine);
}

} // namespace orvix
