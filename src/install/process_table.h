#pragma once

// Running processes, from /proc.

#include <QString>
#include <QStringList>

namespace orvix {

// File names of the programs of the running processes but this one (the link /proc/PID/exe, or
// the first word of the command line where that link cannot be read).
QStringList OtherProcessFileNames();

// True when another process runs a program file named exeName (case ignored).
bool IsProgramRunning(const QString &exeName);

} // namespace orvix
