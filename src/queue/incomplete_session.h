#pragma once

// The lines an earlier run left queued. Shortly after start-up the program looks for a session
// with item files left over: its own slot's (a crash of the last copy that held it) or a slot
// no running copy holds. The user then resumes the lines (they go back into this copy's queues
// under this copy's session) or discards them.

#include "foundation/named_mutex.h"

#include <QString>
#include <QStringList>

#include <memory>

namespace orvix {

class QueueItemFiles;
class QueueState;

// One leftover item file of a session: its text, and why resume cannot take it (empty when it can).
struct LeftoverLine
{
    QString path;
    QString text;
    QString reason;
    bool resumable() const { return reason.isEmpty(); }
};

// Why resume cannot take the text of a leftover item file ("empty item file", a line without
// "http://", ...); empty when it can.
QString LeftoverReason(const QString &path, const QString &text);

class FoundSession
{
public:
    ~FoundSession();
    FoundSession(const FoundSession &) = delete;
    FoundSession &operator=(const FoundSession &) = delete;

    // The session's name, for the heading "Incomplete session found: " + name.
    const QString &name() const { return m_name; }
    bool isOwnSession() const { return m_own; }
    // One entry per resumable leftover line, media lines first, each kind oldest first.
    const QStringList &entries() const { return m_entries; }
    // Every leftover file, in the same order, with the reason for those resume cannot take
    // (an unreadable one has no text): what the user is shown before resuming or discarding.
    const QList<LeftoverLine> &leftovers() const { return m_leftovers; }
    // The leftover files that resume cannot take, one text each naming the file and why: an
    // unreadable or empty file, or a line that can never be processed. Discard removes them.
    const QStringList &problems() const { return m_problems; }

    // Puts the resumable lines (well-formed, with "http://") back at the end of the queues, in
    // order, under this copy's session, replacing their old files; other files stay. Media
    // lines are refused while a queue is being canceled. Lets go of the other session's slot.
    void Resume(QueueState &queues);
    // Deletes all the session's leftover files and lets go of its slot.
    void Discard(QueueItemFiles &files);
    bool isFinished() const { return m_finished; }

private:
    friend std::unique_ptr<FoundSession> FindIncompleteSession(const QString &, QueueItemFiles &);
    FoundSession() = default;
    void finish();

    QString m_name;
    bool m_own = false;
    bool m_finished = false;
    QStringList m_mediaFiles; // oldest first
    QStringList m_pageFiles;
    QStringList m_entries;
    QStringList m_problems;
    QList<LeftoverLine> m_leftovers;
    NamedMutexHandle m_lock; // the other session's slot, held until resume or discard
};

// Looks through the session markers of sessionsFolder for a session with item files, skipping
// slots another running copy holds and the files this copy wrote itself. Null when there is
// none. A leftover file that cannot be read is one of the session's problems.
std::unique_ptr<FoundSession> FindIncompleteSession(const QString &sessionsFolder, QueueItemFiles &ownFiles);

// Item files of a session in a folder, oldest first (files written in the same instant by
// name, which follows the order they were written in).
QStringList ListItemFilesOldestFirst(const QString &folder, const QString &sessionName);

} // namespace orvix
