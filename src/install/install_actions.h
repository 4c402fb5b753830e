#pragma once

// The installer's work on files: copying the program, the roaming marker, the desktop entries
// and icon (this platform's shortcuts), the command lines of the elevated instance. No windows.

#include "installer_paths.h"

#include <QStringList>

namespace orvix {

struct InstallOptions {
    bool desktopIcon = true;
    // Desktops here have no quick-launch bar: the choice is kept and passed on, and makes nothing.
    bool quickLaunchIcon = false;
    bool startMenuEntry = true;
    bool roaming = false;
};

// Creates the folder, copies the running program file to InstalledExePath (executable, replacing
// a copy that may be running) and deletes the program's older file name there. Raises EOrvix
// with the message for the error page.
void InstallFiles(const InstallerPaths &paths);

// Creates the ".roaming" marker beside the installed program, or deletes it.
void SetRoamingMarker(const InstallerPaths &paths, bool roaming);

// The desktop entry when options ask for it, the program and "Uninstall ..." entries in the
// applications menu, and the program's icon in the user's icon theme that they show. Raises
// EOrvix.
void CreateShortcuts(const InstallerPaths &paths, const InstallOptions &options);
// Deletes every entry, the menu folder when empty, and the icon.
void RemoveShortcuts(const InstallerPaths &paths);

// Uninstalling the files: the marker now, the program file and its folder once this process
// has gone (ScheduleSelfDelete). Returns whether a program file was there.
bool UninstallFiles(const InstallerPaths &paths);

// True in an instance started through pkexec: its home is root's, so the steps that belong to
// the user (entries, icon, remembered folder) are left to the instance that started it.
bool StartedThroughPkexec();

// The command lines of the elevated instance, as text and split into arguments.
QString InstallCommandLine(const QString &folder, const InstallOptions &options);
QString UninstallCommandLine(const QString &folder, bool removeSettings);
QStringList CommandLineArguments(const QString &commandLine);

} // namespace orvix
