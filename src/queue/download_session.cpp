#include "queue/download_session.h"

#include "foundation/dialogs.h"
#include "foundation/files.h"
#include "foundation/folder_listing.h"
#include "foundation/paths.h"

namespace orvix {

QString SessionsFolder()
{
    return SettingsPath(QStringLiteral("orvix_sessions/"));
}

QString SessionSlotName(int slot)
{
    return QStringLiteral("orvixsession_") + QString::number(slot);
}

DownloadSession::~DownloadSession()
{
    if (!m_lock.isNull())
        UnSetMutex(m_lock);
}

bool DownloadSession::Start(const QString &sessionsFolder)
{
    QString name;
    for (int slot = 1; slot <= kSessionSlots && m_lock.isNull(); ++slot) {
        name = SessionSlotName(slot);
        // Another copy may take the slot between the test and the taking; then go on.
        if (!MutexExists(name))
            m_lock = SetMutex(name);
    }
    if (m_lock.isNull()) {
        ErrorBox(QStringLiteral("Could not initialize session"));
        return false;
    }
    m_sessionsFolder = IncludeTrailingBackslash(sessionsFolder);
    SessionName = name;
    SessionFile = m_sessionsFolder + name + QStringLiteral(".session");
    CreateEmptyFile(SessionFile);
    MediaQueueFolder = m_sessionsFolder + QStringLiteral("q1/");
    PageQueueFolder = m_sessionsFolder + QStringLiteral("q2/");
    ForceFolder(MediaQueueFolder);
    ForceFolder(PageQueueFolder);
    // Temporary files of an item file being written when the slot's last holder died.
    for (const QString &folder : {MediaQueueFolder, PageQueueFolder})
        for (const QString &stale : ListFilePaths(folder, u'.' + name + QStringLiteral("_*.tmp")))
            DeleteFileIfExists(stale);
    return true;
}

} // namespace orvix
