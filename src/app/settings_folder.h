#pragma once

// Where the settings folder lies: the one folder that holds every data file of the program.
// Decided once at start-up and handed to the foundation (SetSettingsFolder).

#include <QString>
#include <QStringList>

namespace orvix {

struct SettingsFolderInputs {
    QString overrideFolder;   // the switch "settings=DIR", else $ORVIX_SETTINGS; wins when set
    bool noInstall = false;   // the switch "noinstall"
    QString exeFilePath;      // full path of the program file
    QStringList programFiles; // the root-owned install prefixes (ProgramFilesFolders)
    QString localAppData;     // the user's local application-data folder
    QString roamingAppData;   // the roaming one
};

struct SettingsFolderChoice {
    QString folder;  // ends with "/"
    QString notice;  // information message to show first, or empty
};

// The rules, in order: an override; "noinstall" (the program's folder, with a notice when that
// lies under the install prefix); a program under the install prefix (the local application-data
// folder, or the roaming one when "<program file>.roaming" exists, followed by the name of the
// program's folder); otherwise portable use (the program's folder). The installer writes the
// ".roaming" marker and its ".install.ini" by the same rule.
SettingsFolderChoice ResolveSettingsFolder(const SettingsFolderInputs &in);

// True when path lies under folder (lower-case prefix comparison).
bool PathUnderFolder(const QString &path, const QString &folder);

// The inputs of this process: its command line, environment, program file and special folders.
SettingsFolderInputs CurrentSettingsFolderInputs();

// Start-up: resolves the folder, shows the notice, creates the folder and hands it to the
// foundation. Returns the folder.
QString InitSettingsFolder();

} // namespace orvix
