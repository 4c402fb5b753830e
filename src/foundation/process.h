#pragma once

// Starting other programs.

#include <QString>

namespace orvix {

// Starts the command line (program and arguments, quoted as a shell would) without waiting.
// Raises EOrvix with the system's reason when it cannot start.
void RunCommand(const QString &commandLine);

struct RunAsAdminResult {
    bool started = false;
    int exitCode = -1; // when waited for and the program ended normally
};

// Runs file with administrator rights: directly when already root or started with the switch
// "is_admin", else through the desktop's elevation prompt (RunElevated). With wait set, waits for
// the end and reports the exit code.
RunAsAdminResult RunAsAdmin(const QString &file, const QStringList &parameters, const QString &folder, bool wait);
// Runs file through pkexec (found on PATH). Not started when there is no pkexec or, waiting, when
// the user declined or failed the authentication (pkexec's own codes 126 and 127).
RunAsAdminResult RunElevated(const QString &file, const QStringList &parameters, const QString &folder, bool wait);

} // namespace orvix
