#pragma once

// The installer's command-line switches and the rule that decides whether a start shows the
// installation wizard instead of the program.

#include <QString>

#include <optional>

namespace orvix {

struct InstallSwitches {
    bool noInstall = false;     // "noinstall"
    bool forceInstall = false;  // "ForceInstall"
    bool uninstallMode = false; // "uninstall": the wizard in uninstall mode
    bool autoStart = false;     // "AutoStart"
    bool autoExit = false;      // "AutoExit"
    bool uninstall = false;     // "Uninstall": with AutoStart, uninstall instead of install
    std::optional<QString> installationPath;
    // Boxes the command line sets; unset leaves the wizard's default.
    std::optional<bool> desktopIcon, quickLaunchIcon, startMenuEntry, roaming, removeSettings;

    static InstallSwitches FromCommandLine();
};

// Without "uninstall": "noinstall" says no, "ForceInstall" yes; otherwise a program whose path
// holds "_setup", or that lies directly in a desktop folder, shows the wizard. desktopFolder is
// the user's desktop (which may be named in the user's language); any folder named "desktop"
// counts too.
bool ShouldShowInstallWizard(const InstallSwitches &switches, const QString &exeFilePath,
                             const QString &desktopFolder);

// True when folder (ending with "/" or not) is a desktop folder in the sense above.
bool IsDesktopFolder(const QString &folder, const QString &desktopFolder);

} // namespace orvix
