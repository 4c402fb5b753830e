#pragma once

// Files that must survive a crash or a power cut: the bytes go to a hidden temporary file in the
// target's folder and reach the disk before the file gets its name in one step, and the folder is
// synced after it so that the name itself survives a power cut. A reader therefore finds the old
// contents or the new ones, never a part, and never a name without its bytes.

#include <QByteArray>
#include <QString>

#include <ctime>

namespace orvix {

// The temporary files are named prefix + process id + "-" + a random part + suffix, so that
// leftovers of a process that died can be told apart from those of one still writing.
inline constexpr char16_t kDurableTempPrefix[] = u".orvix-";
inline constexpr char16_t kDurableTempSuffix[] = u".part";

class DurableFile
{
public:
    // Creates the temporary file in folder (creating the folder when missing). Raises EFileError.
    explicit DurableFile(const QString &folder);
    // The temporary file goes unless it got its name.
    ~DurableFile();
    DurableFile(const DurableFile &) = delete;
    DurableFile &operator=(const DurableFile &) = delete;

    const QString &temporaryName() const { return m_name; }

    // Raises EFileError (a full disk shows here or, at the latest, when the bytes are synced).
    void write(const QByteArray &bytes);
    // The modification time the file gets when it is finished.
    void setModificationTime(timespec stamp);

    // Syncs the file, names it target (in the same folder) over any file of that name, keeping
    // that file's permissions, and syncs the folder.
    // Raises EFileError.
    void replace(const QString &target);
    // The same without replacing: false when a file named target exists (the file stays
    // temporary, ready for another name). Raises EFileError for other failures.
    bool placeNew(const QString &target);

private:
    void finishWriting();
    void named(bool temporaryGone);
    [[noreturn]] void fail(const char *what, int error) const;

    QString m_folder;
    QString m_name;
    int m_fd = -1;
    bool m_finished = false;
    bool m_placed = false;
    bool m_stamped = false;
    timespec m_stamp{};
};

// A whole file under a name still free: false (and nothing written) when a file of that name
// exists. Creates the folder; raises EFileError. WriteFileAtomic (files.h) is the form that
// replaces.
bool WriteNewFileAtomic(const QString &file, const QByteArray &bytes);

// Deletes the temporary files of processes that ended in folder.
void RemoveStaleDurableFiles(const QString &folder);

// Syncs a folder's entries to the disk (a new, renamed or deleted name). Raises EFileError.
void SyncFolder(const QString &folder);

} // namespace orvix
