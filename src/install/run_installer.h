#pragma once

// Start-up's dispatch to the installer: before the single-instance test, a start with
// "uninstall", a setup file, or a program on the desktop shows the wizard instead of the program.

#include "installer_paths.h"

namespace orvix {

struct InstallerRun {
    bool ran = false;  // the wizard was shown: the program does not start
    int exitCode = 0;  // the process's exit code then
};

// The installer's fixed values for this program.
InstallerPaths PrepareOrvixInstaller();

InstallerRun RunInstallerIfNeeded(InstallerPaths paths);

// True when the arguments ask for an unattended installer run (ForceInstall and AutoStart): the
// copy that pkexec starts has no display, so it runs without one.
bool IsUnattendedInstallerRun(int argc, char **argv);

} // namespace orvix
