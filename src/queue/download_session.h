#pragma once

// This copy's download session: one of ten slots ("orvixsession_1" to "orvixsession_10"), each
// locked by a named mutex for as long as the copy runs, so the item files of a running copy are
// never touched by another. The item files live in the two queue folders of the sessions folder
// ("orvix_sessions/q1" for media lines, "orvix_sessions/q2" for page lines); a marker file
// session name + ".session" records that a slot has been used.

#include "foundation/named_mutex.h"
#include "queue/queue_item_files.h"

#include <QString>

namespace orvix {

inline constexpr int kSessionSlots = 10;

// "orvix_sessions/" in the settings folder.
QString SessionsFolder();
// "orvixsession_" + slot (1 to 10).
QString SessionSlotName(int slot);
// The named mutex of a slot: the slot's name and its sessions folder, so that copies working on
// different settings folders never hold each other's slots.
QString SessionSlotMutexName(const QString &sessionsFolder, const QString &sessionName);

class DownloadSession
{
public:
    DownloadSession() = default;
    // Lets go of the slot.
    ~DownloadSession();
    DownloadSession(const DownloadSession &) = delete;
    DownloadSession &operator=(const DownloadSession &) = delete;

    // Takes the first free slot, creates its marker and the queue folders. When all ten are
    // held, shows "Could not initialize session" and answers false: the program then ends.
    bool Start(const QString &sessionsFolder = SessionsFolder());
    bool isStarted() const { return !m_lock.isNull(); }

    const QString &sessionsFolder() const { return m_sessionsFolder; }
    SessionFolders folders() const { return {SessionName, MediaQueueFolder, PageQueueFolder}; }

    QString SessionName;
    QString SessionFile;
    QString MediaQueueFolder;
    QString PageQueueFolder;

private:
    QString m_sessionsFolder;
    NamedMutexHandle m_lock;
};

} // namespace orvix
