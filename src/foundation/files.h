#pragma once

// Files: creating folders, deleting, copying, renaming, times and sizes. Functions that answer
// a truth value or a number never raise; the byte helpers at the end raise EFileError.

#include <QByteArray>
#include <QDateTime>
#include <QString>

namespace orvix {

bool FileExists(const QString &file); // a file, not a folder
void ForceFolder(const QString &folder);  // with all missing parents; raises EFileError
void ForceFolderOf(const QString &file);  // the folder part of file
bool DeleteFileIfExists(const QString &file);
bool CopyFileOver(const QString &source, const QString &target);
bool RenameFileTo(const QString &oldName, const QString &newName);
QDateTime FileTime(const QString &file); // invalid when missing or unreadable
qint64 FileSize(const QString &file);    // 0 when missing
// Less than 2 seconds apart, or a daylight-saving hour apart (3598 to 3602 seconds).
bool FileTimesEqual(const QDateTime &a, const QDateTime &b);
// When the file exists under a name differing only in letter case, renames it to file.
void FixFileNameCase(const QString &file);
void CreateEmptyFile(const QString &file);
bool HasUtf8Bom(const QString &file);

// Deletes, making a read-only file writable first when needed; true when the file is gone.
// With report set, failures are shown ("File is read-only or hidden: ", "Could not delete
// file: "), the last one not while Ctrl is held down.
bool DeleteFileReporting(const QString &file, bool report);
// Removes a folder with everything in it, depth-first, stopping at the first failure.
bool DeleteFolderReporting(const QString &folder, bool report);
bool CanWriteToFolder(const QString &folder);

// Whole contents; raises EFileError when the file cannot be read.
QByteArray ReadFileBytes(const QString &file);
// Writes a temporary file in the same folder and renames it over file, so a crash leaves the
// old or the new contents, never a part. Creates the folder. Raises EFileError.
void WriteFileAtomic(const QString &file, const QByteArray &bytes);
// Deletes file if present and writes bytes (an empty file when there are none). Raises.
void WriteBytesToNewFile(const QString &file, const QByteArray &bytes);

} // namespace orvix
