#pragma once

// The queue item files of this copy's session: one small file per queued line, so the lines
// still queued when the program ends or crashes can be resumed at the next start.
//
// Media lines live in the media queue folder ("q1"), page lines in the page queue folder
// ("q2"). A file is named after the session (session name + "_1.txt", "_q1.txt" or "_q2.txt",
// made unique with "_00001" and so on) and holds the line as UTF-8 with the mark and a line
// break. A file is found again by its content.
//
// Each file is written under a hidden temporary name and then given its real name in one step,
// so a crash leaves either a whole line or no file, never a part of one that resume would take
// for a line. Threads: the page worker writes media files and finishes page lines, the media
// worker finishes media lines and the main thread writes page files; each folder has its own
// lock, held while names are handed out and the index changes, never while a file is scanned.

#include "queue/item_file_index.h"
#include "queue/item_file_names.h"

#include <QString>

#include <memory>
#include <atomic>

namespace orvix {

enum class QueueKind { Media = 1, Page = 2 };

// Name suffixes: a media line queued from a picture page, a media line written back on
// resume, a page line.
inline constexpr char16_t kMediaItemSuffix[] = u"_1.txt";
inline constexpr char16_t kResumedMediaItemSuffix[] = u"_q1.txt";
inline constexpr char16_t kPageItemSuffix[] = u"_q2.txt";

struct SessionFolders
{
    QString sessionName;
    QString mediaQueueFolder; // both end with "/"
    QString pageQueueFolder;
};

// The mask that lists a session's item files: session name + "_*.*".
QString SessionItemMask(const QString &sessionName);

// A queue line is at most this long; a longer one is malformed (it is no line this program wrote).
inline constexpr qint64 kMaxItemLineBytes = 64 * 1024;

// The line an item file holds, trimmed; empty text, without reading it, when the file is larger
// than a line can be. Raises EFileError when it cannot be read.
QString ReadItemFileText(const QString &path);

class QueueItemFiles
{
public:
    explicit QueueItemFiles(SessionFolders session);
    ~QueueItemFiles();
    QueueItemFiles(const QueueItemFiles &) = delete;
    QueueItemFiles &operator=(const QueueItemFiles &) = delete;

    const SessionFolders &session() const { return m_session; }
    QString folder(QueueKind queue) const;

    // Writes line into a new file named session name + suffix, made unique; returns its path.
    // Raises EFileError when the file cannot be written.
    QString WriteItemFile(QueueKind queue, QStringView suffix, const QString &line);

    // Deletes one file of the session in the queue's folder whose line contains key, preferring
    // one whose line has the key as a whole field. True when a file was deleted; an empty key
    // matches nothing. Raises when a file of the session stays unreadable.
    bool DeleteQueueItemFile(QueueKind queue, const QString &key);
    // Deletes every item file of the session: the media folder first, then the page folder.
    void DeleteSessionQueueFiles();
    // Deletes one item file by path (resume and discard); true when it is gone.
    bool DeleteItemFile(const QString &path);

    // Written by this process and not deleted since.
    bool IsOwnFile(const QString &path) const;

    // Without the index every key is looked for by reading the session's files (benchmarks
    // measure the index against it).
    void setIndexEnabled(bool enabled) { m_indexEnabled = enabled; }

private:
    struct Folder;
    Folder &folderOf(QueueKind queue) const;
    Folder *folderOfPath(const QString &path) const;
    bool removeKnown(Folder &f, const QString &path);
    QString scanForKey(Folder &f, const QString &key) const;

    SessionFolders m_session;
    std::unique_ptr<Folder> m_media;
    std::unique_ptr<Folder> m_page;
    std::atomic<bool> m_indexEnabled{true};
};

} // namespace orvix
