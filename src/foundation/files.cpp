#include "files.h"

#include "desktop.h"
#include "dialogs.h"
#include "durable_file.h"
#include "errors.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <cstdlib>

namespace orvix {

namespace {

EFileError fileError(const char *what, const QString &file, const QString &reason)
{
    return EFileError(QStringLiteral("%1 \"%2\". %3").arg(QLatin1String(what), file, reason));
}

// A read-only file or folder here is one whose owner may not write it.
bool isReadOnly(const QFileInfo &info)
{
    return info.exists() && !(info.permissions() & QFileDevice::WriteOwner);
}

void makeWritable(const QString &path)
{
    QFile::setPermissions(path, QFile::permissions(path) | QFileDevice::WriteOwner);
}

} // namespace

bool FileExists(const QString &file)
{
    return !file.isEmpty() && QFileInfo(file).isFile();
}

void ForceFolder(const QString &folder)
{
    if (folder.isEmpty() || QFileInfo(folder).isDir())
        return;
    if (!QDir().mkpath(folder))
        throw EFileError(QStringLiteral("Unable to create directory %1").arg(folder));
}

void ForceFolderOf(const QString &file)
{
    ForceFolder(QFileInfo(file).path());
}

bool DeleteFileIfExists(const QString &file)
{
    const QFileInfo info(file);
    if (!info.exists() && !info.isSymLink())
        return true;
    // A link goes, whatever it points to; the thing it points to stays.
    if (info.isSymLink())
        return QFile::remove(file);
    return !info.isDir() && QFile::remove(file);
}

bool CopyFileOver(const QString &source, const QString &target)
{
    if (!QFileInfo(source).isFile())
        return false;
    // Beside the target first, so a failed copy never destroys the old target.
    try {
        WriteFileAtomic(target, ReadFileBytes(source));
    } catch (const EFileError &) {
        return false;
    }
    return true;
}

bool RenameFileTo(const QString &oldName, const QString &newName)
{
    try {
        ForceFolderOf(newName);
    } catch (const EFileError &) {
        return false;
    }
    return QFile::rename(oldName, newName);
}

QDateTime FileTime(const QString &file)
{
    const QFileInfo info(file);
    return info.exists() ? info.lastModified() : QDateTime();
}

qint64 FileSize(const QString &file)
{
    const QFileInfo info(file);
    return info.isFile() ? info.size() : 0;
}

bool FileTimesEqual(const QDateTime &a, const QDateTime &b)
{
    const qint64 ma = a.isValid() ? a.toMSecsSinceEpoch() : 0;
    const qint64 mb = b.isValid() ? b.toMSecsSinceEpoch() : 0;
    const qint64 diff = std::llabs(ma - mb);
    return diff < 2000 || (diff > 3598000 && diff < 3602000);
}

void FixFileNameCase(const QString &file)
{
    const QFileInfo wanted(file);
    if (wanted.exists())
        return;
    const QDir dir = wanted.dir();
    const QStringList entries = dir.entryList(QDir::Files | QDir::Hidden | QDir::System);
    for (const QString &name : entries) {
        if (name.compare(wanted.fileName(), Qt::CaseInsensitive) != 0)
            continue;
        const QString stored = dir.filePath(name);
        const QString temp = stored + QStringLiteral(".temp");
        if (QFile::rename(stored, temp) && !QFile::rename(temp, file))
            QFile::rename(temp, stored);
        return;
    }
}

void CreateEmptyFile(const QString &file)
{
    if (QFileInfo::exists(file))
        return;
    WriteBytesToNewFile(file, QByteArray());
}

bool HasUtf8Bom(const QString &file)
{
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly))
        return false;
    return f.read(3) == QByteArray("\xEF\xBB\xBF");
}

bool DeleteFileReporting(const QString &file, bool report)
{
    if (DeleteFileIfExists(file))
        return true;
    if (isReadOnly(QFileInfo(file))) {
        makeWritable(file);
        if (report && isReadOnly(QFileInfo(file)))
            InfoBox(QStringLiteral("File is read-only or hidden: ") + file);
    }
    if (DeleteFileIfExists(file))
        return true;
    if (report && !IsControlDown())
        ErrorBox(QStringLiteral("Could not delete file: ") + file);
    return false;
}

namespace {

bool deleteTree(const QString &folder)
{
    if (isReadOnly(QFileInfo(folder)))
        makeWritable(folder);
    const QFileInfoList entries =
        QDir(folder).entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QFileInfo &entry : entries) {
        const bool ok = entry.isDir() && !entry.isSymLink() ? deleteTree(entry.filePath())
                                                             : DeleteFileReporting(entry.filePath(), false);
        if (!ok)
            return false;
    }
    return QDir().rmdir(folder);
}

} // namespace

bool DeleteFolderReporting(const QString &folder, bool report)
{
    const QFileInfo info(folder);
    if (info.isSymLink())
        return DeleteFileReporting(folder, report);
    if (!info.isDir())
        return !info.exists();
    if (isReadOnly(info)) {
        makeWritable(folder);
        if (report && isReadOnly(QFileInfo(folder)))
            InfoBox(QStringLiteral("Folder is read-only or hidden: ") + folder);
    }
    deleteTree(folder);
    if (!QFileInfo(folder).exists())
        return true;
    if (report && !IsControlDown())
        ErrorBox(QStringLiteral("Could not delete directory: ") + folder);
    return false;
}

bool CanWriteToFolder(const QString &folder)
{
    const QString probe = QDir(folder).filePath(QStringLiteral("TestPermissions.ini"));
    try {
        WriteBytesToNewFile(probe, QByteArray("-"));
    } catch (const EFileError &) {
        return false;
    }
    QFile::remove(probe);
    return true;
}

QByteArray ReadFileBytes(const QString &file)
{
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly))
        throw fileError("Cannot open file", file, f.errorString());
    QByteArray bytes = f.readAll();
    if (f.error() != QFileDevice::NoError)
        throw fileError("Cannot read file", file, f.errorString());
    return bytes;
}

void WriteFileAtomic(const QString &file, const QByteArray &bytes)
{
    DurableFile f(QFileInfo(file).path());
    f.write(bytes);
    f.replace(file);
}

void WriteBytesToNewFile(const QString &file, const QByteArray &bytes)
{
    if (QFileInfo(file).isDir())
        throw fileError("Cannot create file", file, QStringLiteral("Is a directory"));
    WriteFileAtomic(file, bytes);
}

} // namespace orvix
