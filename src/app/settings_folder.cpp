#include "settings_folder.h"

#include "foundation/dialogs.h"
#include "foundation/files.h"
#include "foundation/paths.h"
#include "foundation/command_line.h"

#include <QCoreApplication>
#include <QFileInfo>

namespace orvix {

namespace {

QString folderOf(const QString &filePath)
{
    return IncludeTrailingBackslash(QFileInfo(filePath).absolutePath());
}

} // namespace

bool PathUnderFolder(const QString &path, const QString &folder)
{
    if (folder.isEmpty())
        return false;
    return IncludeTrailingBackslash(path).toLower().startsWith(IncludeTrailingBackslash(folder).toLower());
}

SettingsFolderChoice ResolveSettingsFolder(const SettingsFolderInputs &in)
{
    SettingsFolderChoice choice;
    const QString exeFolder = folderOf(in.exeFilePath);
    const bool underProgramFiles = PathUnderProgramFiles(exeFolder, in.programFiles);
    if (!in.overrideFolder.isEmpty()) {
        choice.folder = IncludeTrailingBackslash(in.overrideFolder);
    } else if (in.noInstall) {
        if (underProgramFiles)
            choice.notice = QStringLiteral(
                "You have specified \"noinstall\" while in \"c:\\program files\".\r\n"
                "Some settings will be created in c:\\program files");
        choice.folder = exeFolder;
    } else if (underProgramFiles) {
        const bool roaming = QFileInfo::exists(in.exeFilePath + QStringLiteral(".roaming"));
        const QString base = roaming ? in.roamingAppData : in.localAppData;
        choice.folder = IncludeTrailingBackslash(IncludeTrailingBackslash(base)
                                                 + QFileInfo(ExcludeTrailingBackslash(exeFolder)).fileName());
    } else {
        choice.folder = exeFolder;
    }
    return choice;
}

SettingsFolderInputs CurrentSettingsFolderInputs()
{
    SettingsFolderInputs in;
    in.overrideFolder = GetSwitchValue(QStringLiteral("settings"));
    if (in.overrideFolder.isEmpty())
        in.overrideFolder = qEnvironmentVariable("ORVIX_SETTINGS");
    if (!in.overrideFolder.isEmpty())
        in.overrideFolder = QFileInfo(in.overrideFolder).absoluteFilePath();
    in.noInstall = HasSwitch(QStringLiteral("noinstall"));
    in.exeFilePath = QCoreApplication::applicationFilePath();
    in.programFiles = ProgramFilesFolders();
    in.localAppData = SpecialFolder(SpecialFolderKind::LocalAppData);
    in.roamingAppData = SpecialFolder(SpecialFolderKind::RoamingAppData);
    return in;
}

QString InitSettingsFolder()
{
    const SettingsFolderChoice choice = ResolveSettingsFolder(CurrentSettingsFolderInputs());
    if (!choice.notice.isEmpty())
        InfoBox(choice.notice);
    ForceFolder(choice.folder);
    SetSettingsFolder(choice.folder);
    return choice.folder;
}

} // namespace orvix
