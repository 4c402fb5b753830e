#include "queue/queue_state.h"

#include "foundation/main_thread_call.h"
#include "foundation/dialogs.h"
#include "foundation/log.h"
#include "foundation/run_control.h"
#include "foundation/text.h"
#include "queue/picture_records.h"
#include "queue/queue_line.h"
#include "queue/queue_row.h"
#include "queue/queue_view.h"

#include <exception>

namespace orvix {

QueueState::QueueState(RunControl &run, const SessionFolders &session, IQueueView &view,
                       IPictureRecords &pictures)
    : m_run(run), m_view(view), m_pictures(pictures), m_itemFiles(session)
{
}

void QueueState::QueuePage(const QString &url, const QString &queueLine, int insertAt)
{
    // The file goes first: a worker may finish the line the moment it is queued, and its file
    // must be there to be deleted. A failed write still queues the line (without a file, so it
    // is not resumable) and then raises.
    std::exception_ptr writeFailure;
    try {
        m_itemFiles.WriteItemFile(QueueKind::Page, kPageItemSuffix, queueLine);
    } catch (...) {
        writeFailure = std::current_exception();
    }
    {
        TThreadStringList::Locker lock(PageQueue);
        // The line being worked on may have been removed meanwhile, leaving fewer lines than
        // the insertion point expects.
        if (insertAt < 0 || insertAt > lock.list().size())
            PageQueue.Add(queueLine);
        else
            PageQueue.Insert(insertAt, queueLine);
    }
    m_view.AddToListViewQueue(PageRowCaption(url), queueLine);
    if (writeFailure)
        std::rethrow_exception(writeFailure);
}

void QueueState::AddToQ2(const QStringList &urlsSl, const QString &synchQueueLine)
{
    if (!SplitQueueLine(synchQueueLine)) {
        InfoBox(QStringLiteral("Length(synch_queueLine) <> 5: ") + synchQueueLine);
        return;
    }
    int n = 0;
    for (const QString &entry : urlsSl) {
        const QStringList fields = TextSplit(entry, u"|", true);
        if (fields.size() < 3) {
            LogMessage(QStringLiteral("ar.Length() < 3: ") + entry);
            return;
        }
        if (m_pictures.IsAlreadyDownloaded(fields[0]))
            continue;
        const QString url = MakeSiteUrlAbsolute(fields[0]);
        ++n;
        QueuePage(url, url + synchQueueLine, n);
    }
}

bool QueueState::QueuePicture(const QString &downloadUrl, const QString &pictureId,
                              const QString &secretId, const QString &title, const QString &reserved,
                              const QString &pageUrl, const QString &targetFolder, const QString &tags,
                              IQueueView &worker)
{
    if (m_run.Canceling()) {
        InfoBox(QString::fromUtf16(kQueueCancelingMessage));
        return false;
    }
    const QString fileBase = MediaFileBase(pictureId, secretId, title, tags);
    const QString line = MediaLine{downloadUrl, fileBase, reserved, pageUrl, targetFolder}.line();
    worker.AddToListViewQueue(downloadUrl, line);

    // The file before the line, for the reason given in QueuePage.
    std::exception_ptr writeFailure;
    try {
        m_itemFiles.WriteItemFile(QueueKind::Media, kMediaItemSuffix, line);
    } catch (...) {
        writeFailure = std::current_exception();
    }
    MediaQueue.Add(line);
    LogToFile(m_run.SettingsFile(QStringLiteral("queue1.log")), line);
    if (writeFailure)
        std::rethrow_exception(writeFailure);

    TImageData record;
    record.ImageId = pictureId;
    record.ImageSecretID = secretId;
    record.ImageIdX = pictureId + u'_' + secretId;
    record.ImageName = title;
    record.PageUrl = pageUrl;
    m_pictures.RecordQueuedPicture(record);
    return true;
}

void QueueState::RecordFoundPicture(const TImageData &picture, const QString &fileName)
{
    m_pictures.RecordFoundPicture(picture, fileName);
}

void QueueState::QueueResumedMedia(const QString &line)
{
    ORVIX_ASSERT_MAIN_THREAD();
    m_itemFiles.WriteItemFile(QueueKind::Media, kResumedMediaItemSuffix, line);
    MediaQueue.Add(line);
    m_view.AddToListViewQueue(FirstLineField(line), line);
}

void QueueState::DeleteQueueItemFile(QueueKind queue, const QString &key)
{
    m_itemFiles.DeleteQueueItemFile(queue, key);
}

void QueueState::DeleteSessionQueueFiles()
{
    m_itemFiles.DeleteSessionQueueFiles();
}

bool QueueState::IsQueued(const QString &text)
{
    if (text.isEmpty())
        return false;
    for (TThreadStringList *list : {&MediaQueue, &QueueTemp, &PageQueue}) {
        TThreadStringList::Locker lock(*list);
        for (const QString &line : std::as_const(lock.list()))
            if (TextContains(line, text))
                return true;
    }
    return false;
}

QString FirstQueueLine(TThreadStringList &queue)
{
    TThreadStringList::Locker lock(queue);
    return lock.list().isEmpty() ? QString() : lock.list().constFirst();
}

namespace {

bool firstIs(const QStringList &lines, const QString &taken)
{
    return !lines.isEmpty() && lines.constFirst().isSharedWith(taken) && lines.constFirst() == taken;
}

} // namespace

bool RemoveFirstIfStill(TThreadStringList &queue, const QString &taken)
{
    TThreadStringList::Locker lock(queue);
    if (!firstIs(lock.list(), taken))
        return false;
    queue.Delete(0);
    return true;
}

bool IsFirstStill(TThreadStringList &queue, const QString &taken)
{
    TThreadStringList::Locker lock(queue);
    return firstIs(lock.list(), taken);
}

bool MoveFirstToEndIfStill(TThreadStringList &queue, const QString &taken)
{
    TThreadStringList::Locker lock(queue);
    QStringList &lines = lock.list();
    if (!firstIs(lines, taken))
        return false;
    lines.move(0, lines.size() - 1);
    return true;
}

QueueTempEntry::QueueTempEntry(QueueState &queues, const QString &pageUrl)
    : m_list(queues.QueueTemp), m_url(pageUrl)
{
    m_list.Add(m_url);
}

QueueTempEntry::~QueueTempEntry()
{
    m_list.DeleteFirstExact(m_url);
}

} // namespace orvix
