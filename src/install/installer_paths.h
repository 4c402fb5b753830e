#pragma once

// Where the installer puts things. On this platform: the program file "OrvixDownloader" in a
// folder under /opt by default; shortcuts are freedesktop desktop entries (one in the user's
// desktop folder, the program and its uninstaller in a folder of the user's applications menu);
// the program's icon goes into the user's icon theme; the remembered folder is in the user's
// local data folder, where the installed copy also keeps its settings.

#include <QString>

namespace orvix {

struct InstallerPaths {
    QString InstallFolder;      // ends with "/"
    QString InstallExeName;     // "OrvixDownloader"
    QString InstalledExePath;   // InstallFolder + InstallExeName
    QString ProgramDisplayName; // "Varnel Orvix Downloader"
    QString MakerFolderName;    // "Varnel Software"
    QString DefaultFolder;      // "/opt/Varnel Software/"
    QString InstallIniPath;     // local data folder + maker folder + running file name + ".install.ini"
    QString RunningExePath;     // the program file of this process

    QString DesktopFolder;      // the user's desktop (user-dirs.dirs, else ~/Desktop)
    QString StartMenuFolder;    // the user's applications folder + a folder for the maker
    QString IconThemeFolder;    // the user's hicolor icon theme

    // Desktop entries: on the desktop, and the program and its uninstaller in StartMenuFolder.
    QString DesktopShortcut() const;
    QString StartMenuShortcut() const;
    QString UninstallShortcut() const;
    QString UninstallShortcutName() const; // "Uninstall " + ProgramDisplayName
    QString RoamingMarker() const;         // InstalledExePath + ".roaming"

    // Makes InstallFolder and InstalledExePath name folder.
    void setInstallFolder(const QString &folder);
};

// Fills the paths for this user and this process. InstallFolder is the folder remembered in
// InstallIniPath when it names an existing folder, else defaultFolder.
InstallerPaths PrepareInstaller(const QString &defaultFolder, const QString &exeName,
                                const QString &displayName, const QString &makerFolder);

// The folder remembered in iniPath, or empty when there is none or it does not exist.
QString RememberedInstallFolder(const QString &iniPath);
// Writes "[installation_path]" and folder as iniPath (atomically).
void WriteInstallIni(const QString &iniPath, const QString &folder);

// Name of the icon that the desktop entries show.
inline constexpr char16_t kProgramIconName[] = u"orvix";

} // namespace orvix
