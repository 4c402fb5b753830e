#pragma once

// Files of a folder (never "." and "..", no subfolders unless said). Masks are wildcards
// matched without regard to case; "*.*" and "*" match every file.

#include <QString>
#include <QStringList>

namespace orvix {

QStringList ListFiles(const QString &folder, const QString &mask = QStringLiteral("*.*"));
QStringList ListFilePaths(const QString &folder, const QString &mask = QStringLiteral("*.*"));
// Full paths, oldest modification first.
QStringList ListFilesByDate(const QString &folder, const QString &mask = QStringLiteral("*.*"));
// Paths relative to folder: its own files first, then, for each subfolder not named "thumbs"
// and not starting with ".", that subfolder's entries prefixed "name/".
QStringList ListFilesRecursive(const QString &folder, const QString &mask = QStringLiteral("*.*"));

} // namespace orvix
