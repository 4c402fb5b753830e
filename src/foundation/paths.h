#pragma once

// Folders and paths. Folders returned here end with "/". Every data file of the program lies
// in the settings folder and is named from one base name, so the desktop program and the
// command-line tool share the same files.

#include <QString>
#include <QStringList>

namespace orvix {

inline constexpr char16_t kDataBaseName[] = u"OrvixDownloader";

QString IncludeTrailingBackslash(const QString &path); // exactly one final "/"; "" stays ""
QString ExcludeTrailingBackslash(const QString &path); // no final "/"; the root stays "/"

// Folder of the running program file (computed once).
QString ExeFolder();

// The settings folder is decided once at start-up by the settings store and handed over here.
// Until then: $ORVIX_SETTINGS when set, else the application's local data folder.
void SetSettingsFolder(const QString &folder);
QString GetSettingsFolder();
// An absolute name unchanged; otherwise the name inside the settings folder.
QString SettingsPath(const QString &name);
// "OrvixDownloader.log" in the settings folder.
QString ProgramLogFileName();

// A bare name inside the program's temporary folder (created on each call); a path unchanged.
QString TempPath(const QString &name);

enum class SpecialFolderKind { ProgramFiles, LocalAppData, RoamingAppData, Pictures };
// The folder, or empty text when the platform has none. ProgramFiles is "/opt/", where the
// installer puts the program by default.
QString SpecialFolder(SpecialFolderKind kind);
// Every root-owned prefix a program is installed under: "/opt/", "/usr/", "/usr/local/" and the
// prefix this build installs to. A program there never keeps its settings beside itself.
QStringList ProgramFilesFolders();
// True when path lies under one of folders (lower-case prefix comparison of whole folders).
bool PathUnderProgramFiles(const QString &path, const QStringList &folders);
bool RunningFromProgramFiles();

// Mount point of the volume that holds path (also for a path not created yet); "" for "".
QString DriveRoot(const QString &path);

} // namespace orvix
