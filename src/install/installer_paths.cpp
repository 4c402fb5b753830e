#include "installer_paths.h"

#include "app/settings_file.h"
#include "foundation/files.h"
#include "foundation/paths.h"
#include "foundation/text_files.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace orvix {

namespace {

// File names of the entries: the display name, lower case, words joined by "-".
QString entryBaseName(const QString &name)
{
    return name.toLower().split(u' ', Qt::SkipEmptyParts).join(u'-');
}

} // namespace

QString InstallerPaths::DesktopShortcut() const
{
    return DesktopFolder + entryBaseName(ProgramDisplayName) + QStringLiteral(".desktop");
}

QString InstallerPaths::StartMenuShortcut() const
{
    return StartMenuFolder + entryBaseName(ProgramDisplayName) + QStringLiteral(".desktop");
}

QString InstallerPaths::UninstallShortcut() const
{
    return StartMenuFolder + entryBaseName(UninstallShortcutName()) + QStringLiteral(".desktop");
}

QString InstallerPaths::UninstallShortcutName() const
{
    return QStringLiteral("Uninstall ") + ProgramDisplayName;
}

QString InstallerPaths::RoamingMarker() const
{
    return InstalledExePath + QStringLiteral(".roaming");
}

void InstallerPaths::setInstallFolder(const QString &folder)
{
    InstallFolder = IncludeTrailingBackslash(folder);
    InstalledExePath = InstallFolder + InstallExeName;
}

QString RememberedInstallFolder(const QString &iniPath)
{
    if (!FileExists(iniPath))
        return QString();
    const QString folder = GetSectionValue(LoadTextList(iniPath), QStringLiteral("installation_path")).trimmed();
    if (folder.isEmpty() || !QFileInfo(folder).isDir())
        return QString();
    return IncludeTrailingBackslash(folder);
}

void WriteInstallIni(const QString &iniPath, const QString &folder)
{
    ForceFolderOf(iniPath);
    WriteFileAtomic(iniPath, QByteArray("\xEF\xBB\xBF[installation_path]\r\n") + folder.toUtf8() + "\r\n");
}

InstallerPaths PrepareInstaller(const QString &defaultFolder, const QString &exeName,
                                const QString &displayName, const QString &makerFolder)
{
    InstallerPaths p;
    p.InstallExeName = exeName;
    p.ProgramDisplayName = displayName;
    p.MakerFolderName = makerFolder;
    p.DefaultFolder = IncludeTrailingBackslash(defaultFolder);
    p.RunningExePath = QCoreApplication::applicationFilePath();
    p.InstallIniPath = SpecialFolder(SpecialFolderKind::LocalAppData) + makerFolder + u'/'
        + QFileInfo(p.RunningExePath).fileName() + QStringLiteral(".install.ini");
    const QString remembered = RememberedInstallFolder(p.InstallIniPath);
    p.setInstallFolder(remembered.isEmpty() ? p.DefaultFolder : remembered);

    p.DesktopFolder = IncludeTrailingBackslash(QStandardPaths::writableLocation(QStandardPaths::DesktopLocation));
    p.StartMenuFolder = IncludeTrailingBackslash(QStandardPaths::writableLocation(QStandardPaths::ApplicationsLocation))
        + entryBaseName(makerFolder) + u'/';
    p.IconThemeFolder = IncludeTrailingBackslash(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation))
        + QStringLiteral("icons/hicolor/");
    return p;
}

} // namespace orvix
