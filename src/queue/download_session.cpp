#include "queue/download_session.h"

#include "foundation/dialogs.h"
#include "foundation/durable_file.h"
#include "foundation/files.h"
#include "foundation/paths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace orvix {

QString SessionsFolder()
{
    return SettingsPath(QStringLiteral("orvix_sessions/"));
}

QString SessionSlotName(int slot)
{
    return QStringLiteral("orvixsession_") + QString::number(slot);
}

QString SessionSlotMutexName(const QString &sessionsFolder, const QString &sessionName)
{
    return FolderMutexName(sessionName, sessionsFolder);
}

DownloadSession::~DownloadSession()
{
    if (!m_lock.isNull())
        UnSetMutex(m_lock);
}

bool DownloadSession::Start(const QString &sessionsFolder)
{
    ForceFolder(sessionsFolder);
    QString name;
    for (int slot = 1; slot <= kSessionSlots && m_lock.isNull(); ++slot) {
        name = SessionSlotName(slot);
        const QString mutex = SessionSlotMutexName(sessionsFolder, name);
        // Another copy may take the slot between the test and the taking; then go on.
        if (!MutexExists(mutex))
            m_lock = SetMutex(mutex);
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
    // Temporary files of item files being written when a copy died.
    for (const QString &folder : {MediaQueueFolder, PageQueueFolder})
        RemoveStaleDurableFiles(folder);
    return true;
}

} // namespace orvix
