#include "queue/incomplete_session.h"

#include "foundation/main_thread_call.h"
#include "foundation/dialogs.h"
#include "foundation/errors.h"
#include "foundation/files.h"
#include "foundation/folder_listing.h"
#include "foundation/paths.h"
#include "foundation/text.h"
#include "foundation/text_files.h"
#include "foundation/run_control.h"
#include "queue/download_session.h"
#include "queue/queue_item_files.h"
#include "queue/queue_line.h"
#include "queue/queue_state.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <sys/stat.h>

namespace orvix {

namespace {

struct Stamped
{
    qint64 seconds = 0;
    long nanoseconds = 0;
    QString path;
};

bool resumable(const QString &text)
{
    return !text.isEmpty() && TextContains(text, u"http://") && SplitQueueLine(text).has_value();
}

// Leftover files read back; a file gone since the search is simply no longer there, and one
// that cannot be read was reported when the session was found.
template<typename F>
void forEachLeftover(const QStringList &files, F &&fn)
{
    for (const QString &path : files) {
        if (!FileExists(path))
            continue;
        QString text;
        try {
            text = ReadItemFileText(path);
        } catch (const EFileError &) {
            continue;
        }
        fn(path, text);
    }
}

// Input quoted in a message is cut short: a leftover file may hold anything.
QString quoted(const QString &text)
{
    return u'"' + (text.size() > kMaxQuotedLine ? text.left(kMaxQuotedLine) + QStringLiteral("...") : text) + u'"';
}

const QString kEmptyFile = QStringLiteral("empty item file");

// The reason with the file it concerns, and the line when there is one.
QString problemOf(const QString &path, const QString &text, const QString &reason)
{
    if (reason == kEmptyFile)
        return reason + u' ' + path;
    return reason + QStringLiteral(", in ") + path + (text.isEmpty() ? QString() : QStringLiteral(": ") + quoted(text));
}

} // namespace

QString LeftoverReason(const QString &path, const QString &text)
{
    if (text.isEmpty() && QFileInfo(path).size() > kMaxItemLineBytes)
        return QStringLiteral("line longer than %1 bytes").arg(kMaxItemLineBytes);
    if (text.isEmpty())
        return kEmptyFile;
    if (!SplitQueueLine(text))
        return QStringLiteral("line that can never be processed");
    // Resume takes only the addresses the program always fetched.
    if (!TextContains(text, u"http://"))
        return QStringLiteral("line without \"http://\" (only such lines are resumed)");
    return {};
}

QStringList ListItemFilesOldestFirst(const QString &folder, const QString &sessionName)
{
    std::vector<Stamped> files;
    const QString base = IncludeTrailingBackslash(QDir::cleanPath(folder));
    for (const QString &name : ListFiles(folder, SessionItemMask(sessionName))) {
        const QString path = base + name;
        struct stat st{};
        if (::stat(QFile::encodeName(path).constData(), &st) != 0)
            continue;
        files.push_back({qint64(st.st_mtim.tv_sec), st.st_mtim.tv_nsec, path});
    }
    std::sort(files.begin(), files.end(), [](const Stamped &a, const Stamped &b) {
        if (a.seconds != b.seconds)
            return a.seconds < b.seconds;
        if (a.nanoseconds != b.nanoseconds)
            return a.nanoseconds < b.nanoseconds;
        return a.path < b.path;
    });
    QStringList paths;
    for (const Stamped &f : files)
        paths.append(f.path);
    return paths;
}

std::unique_ptr<FoundSession> FindIncompleteSession(const QString &sessionsFolder, QueueItemFiles &ownFiles)
{
    const SessionFolders &own = ownFiles.session();
    for (const QString &marker : ListFiles(sessionsFolder, QStringLiteral("*.session"))) {
        const QString candidate = TextRemoveSuffix(marker, u".session");
        const bool isOwn = candidate == own.sessionName;
        const QString mutex = SessionSlotMutexName(sessionsFolder, candidate);
        if (!isOwn && MutexExists(mutex))
            continue; // another running copy owns it
        const auto leftovers = [&](const QString &folder) {
            QStringList files = ListItemFilesOldestFirst(folder, candidate);
            // What this copy queued itself is live, not left over.
            if (isOwn)
                files.removeIf([&](const QString &path) { return ownFiles.IsOwnFile(path); });
            return files;
        };
        QStringList media = leftovers(own.mediaQueueFolder);
        QStringList pages = leftovers(own.pageQueueFolder);
        if (media.isEmpty() && pages.isEmpty())
            continue;

        std::unique_ptr<FoundSession> found(new FoundSession);
        found->m_name = candidate;
        found->m_own = isOwn;
        found->m_mediaFiles = std::move(media);
        found->m_pageFiles = std::move(pages);
        if (!isOwn) {
            if (MutexExists(mutex))
                InfoBox(QStringLiteral("Could not lock found_session"));
            found->m_lock = SetMutex(mutex);
        }
        for (const QStringList *files : {&found->m_mediaFiles, &found->m_pageFiles}) {
            for (const QString &path : *files) {
                QString text;
                try {
                    text = ReadItemFileText(path);
                } catch (const EFileError &e) {
                    if (FileExists(path)) {
                        found->m_problems.append(QStringLiteral("unreadable item file ") + path + QStringLiteral(": ")
                                                 + e.message());
                        found->m_leftovers.append(
                            {path, QString(), QStringLiteral("unreadable item file: ") + e.message()});
                    }
                    continue;
                }
                const QString reason = LeftoverReason(path, text);
                found->m_leftovers.append({path, text, reason});
                if (reason.isEmpty())
                    found->m_entries.append(text);
                else
                    found->m_problems.append(problemOf(path, text, reason));
            }
        }
        return found;
    }
    return nullptr;
}

FoundSession::~FoundSession()
{
    // Closed with the panel still open: the slot goes back without a word.
    if (!m_lock.isNull())
        UnSetMutex(m_lock);
}

void FoundSession::Resume(QueueState &queues)
{
    ORVIX_ASSERT_MAIN_THREAD();
    if (m_finished)
        return;
    QueueItemFiles &files = queues.itemFiles();
    // The new file is written before the old one goes, so a crash in between duplicates a
    // line rather than losing it.
    if (queues.run().Canceling()) {
        InfoBox(QString::fromUtf16(kQueueCancelingMessage));
    } else {
        forEachLeftover(m_mediaFiles, [&](const QString &path, const QString &text) {
            if (!resumable(text))
                return;
            queues.QueueResumedMedia(text);
            files.DeleteItemFile(path);
        });
    }
    forEachLeftover(m_pageFiles, [&](const QString &path, const QString &text) {
        if (!resumable(text))
            return;
        queues.QueuePage(FirstLineField(text), text, -1);
        files.DeleteItemFile(path);
    });
    finish();
}

void FoundSession::Discard(QueueItemFiles &files)
{
    if (m_finished)
        return;
    for (const QStringList *list : {&m_mediaFiles, &m_pageFiles})
        for (const QString &path : *list)
            files.DeleteItemFile(path);
    finish();
}

void FoundSession::finish()
{
    m_finished = true;
    if (m_own)
        return;
    if (m_lock.isNull())
        InfoBox(QStringLiteral("mutex_handle=0"));
    else
        UnSetMutex(m_lock);
}

} // namespace orvix
