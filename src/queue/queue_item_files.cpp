#include "queue/queue_item_files.h"

#include "foundation/durable_file.h"
#include "foundation/errors.h"
#include "foundation/files.h"
#include "foundation/folder_listing.h"
#include "foundation/paths.h"
#include "foundation/text.h"
#include "foundation/text_codec.h"
#include "foundation/text_files.h"
#include "queue/queue_line.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <mutex>

#include <cerrno>
#include <time.h>
#include <unistd.h>

namespace orvix {

struct QueueItemFiles::Folder
{
    explicit Folder(const QString &p) : path(p), names(p) {}

    const QString path;
    mutable std::mutex lock; // a standard lock: the thread sanitizer sees it
    ItemFileNames names;
    ItemFileIndex index;
    timespec lastStamp{0, 0};
};

namespace {

QStringList keysOf(QueueKind queue, const QString &line)
{
    QStringList keys{line, TextTrim(line)};
    const auto fields = SplitQueueLine(line);
    if (!fields) {
        keys.append(FirstLineField(line));
        return keys;
    }
    keys.append(fields->at(0));
    if (queue == QueueKind::Media)
        keys.append(fields->at(3));
    return keys;
}

bool hasWholeField(const QString &text, const QString &key)
{
    return text == key || TextSplit(text, u"|", true).contains(key);
}

// Files of one folder are stamped in the order they were written, even several within one tick
// of the file system's clock, so resume can give lines back in the order they were queued.
timespec nextStamp(timespec &last)
{
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    if (now.tv_sec < last.tv_sec || (now.tv_sec == last.tv_sec && now.tv_nsec <= last.tv_nsec)) {
        now = last;
        if (++now.tv_nsec >= 1000000000L) {
            now.tv_nsec = 0;
            ++now.tv_sec;
        }
    }
    last = now;
    return now;
}

} // namespace

QString SessionItemMask(const QString &sessionName)
{
    return sessionName + QStringLiteral("_*.*");
}

QString ReadItemFileText(const QString &path)
{
    // Room for the byte-order mark and the line end.
    if (QFileInfo(path).size() > kMaxItemLineBytes + 8)
        return {};
    return ReadTextFile(path);
}

namespace {

// Paths of the folder's files are compared with the paths this object hands out.
QString cleanFolder(const QString &folder)
{
    return IncludeTrailingBackslash(QDir::cleanPath(folder));
}

} // namespace

QueueItemFiles::QueueItemFiles(SessionFolders session)
    : m_session{session.sessionName, cleanFolder(session.mediaQueueFolder), cleanFolder(session.pageQueueFolder)},
      m_media(std::make_unique<Folder>(m_session.mediaQueueFolder)),
      m_page(std::make_unique<Folder>(m_session.pageQueueFolder))
{
}

QueueItemFiles::~QueueItemFiles() = default;

QString QueueItemFiles::folder(QueueKind queue) const
{
    return folderOf(queue).path;
}

QueueItemFiles::Folder &QueueItemFiles::folderOf(QueueKind queue) const
{
    return queue == QueueKind::Media ? *m_media : *m_page;
}

QueueItemFiles::Folder *QueueItemFiles::folderOfPath(const QString &path) const
{
    for (Folder *f : {m_media.get(), m_page.get()})
        if (path.startsWith(f->path) && !QStringView(path).mid(f->path.size()).contains(u'/'))
            return f;
    return nullptr;
}

QString QueueItemFiles::WriteItemFile(QueueKind queue, QStringView suffix, const QString &line)
{
    Folder &f = folderOf(queue);
    const QByteArray bytes = EncodeLinesUtf8({line});
    const QString stem = m_session.sessionName + suffix.left(suffix.lastIndexOf(u'.')).toString();
    const QString extension = suffix.mid(suffix.lastIndexOf(u'.')).toString();

    std::lock_guard lock(f.lock);
    // Hidden and outside the session's mask, so neither a scan nor a resume ever reads it.
    DurableFile temporary(f.path);
    temporary.write(bytes);
    temporary.setModificationTime(nextStamp(f.lastStamp));
    for (;;) {
        const ItemFileNames::Candidate c = f.names.candidate(stem, extension);
        if (!temporary.placeNew(c.path)) {
            f.names.taken(c);
            continue;
        }
        f.names.taken(c);
        f.index.add(c.path, keysOf(queue, line));
        return c.path;
    }
}

bool QueueItemFiles::removeKnown(Folder &f, const QString &path)
{
    const bool deleted = ::unlink(QFile::encodeName(path).constData()) == 0;
    if (deleted || errno == ENOENT) {
        std::lock_guard lock(f.lock);
        f.index.remove(path);
        f.names.released(path);
    }
    return deleted;
}

bool QueueItemFiles::DeleteQueueItemFile(QueueKind queue, const QString &key)
{
    if (key.isEmpty())
        return false;
    Folder &f = folderOf(queue);
    if (m_indexEnabled) {
        QStringList known;
        {
            std::lock_guard lock(f.lock);
            known = f.index.filesFor(key);
        }
        // A known file that has gone missing is dropped and the next one tried.
        for (const QString &path : known)
            if (removeKnown(f, path))
                return true;
    }
    const QString found = scanForKey(f, key);
    return !found.isEmpty() && removeKnown(f, found);
}

QString QueueItemFiles::scanForKey(Folder &f, const QString &key) const
{
    QString firstContaining;
    for (const QString &name : ListFiles(f.path, SessionItemMask(m_session.sessionName))) {
        const QString path = f.path + name;
        QString text;
        try {
            text = ReadFromFile_s_5x(path);
        } catch (const EFileError &) {
            // Another thread finished that line meanwhile; only a file that stays is an error.
            if (!FileExists(path))
                continue;
            throw;
        }
        if (!TextContains(text, key))
            continue;
        if (hasWholeField(text, key))
            return path;
        if (firstContaining.isEmpty())
            firstContaining = path;
    }
    return firstContaining;
}

void QueueItemFiles::DeleteSessionQueueFiles()
{
    for (Folder *f : {m_media.get(), m_page.get()}) {
        std::lock_guard lock(f->lock);
        for (const QString &name : ListFiles(f->path, SessionItemMask(m_session.sessionName)))
            DeleteFileIfExists(f->path + name);
        f->index.clear();
        f->names.reset();
    }
}

bool QueueItemFiles::DeleteItemFile(const QString &path)
{
    if (Folder *f = folderOfPath(path)) {
        removeKnown(*f, path);
        return !FileExists(path);
    }
    return DeleteFileIfExists(path);
}

bool QueueItemFiles::IsOwnFile(const QString &path) const
{
    const Folder *f = folderOfPath(path);
    if (!f)
        return false;
    std::lock_guard lock(f->lock);
    return f->index.contains(path);
}

} // namespace orvix
