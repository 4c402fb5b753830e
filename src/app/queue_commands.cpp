#include "app/queue_commands.h"

#include "app/queue_rows.h"
#include "foundation/dialogs.h"
#include "foundation/errors.h"
#include "foundation/log.h"
#include "foundation/main_thread_call.h"
#include "foundation/run_control.h"
#include "foundation/text.h"
#include "queue/queue_line.h"
#include "queue/queue_state.h"

namespace orvix {

namespace {

bool containsLine(TThreadStringList &queue, const QString &line)
{
    TThreadStringList::Locker lock(queue);
    return lock.list().contains(line);
}

// Takes every line holding text out of the queue; returns them.
QStringList takeLinesContaining(TThreadStringList &queue, const QString &text)
{
    TThreadStringList::Locker lock(queue);
    QStringList taken;
    QStringList &lines = lock.list();
    for (qsizetype i = 0; i < lines.size();) {
        if (TextContains(lines[i], text))
            taken << lines.takeAt(i);
        else
            ++i;
    }
    return taken;
}

} // namespace

bool TQueueCommands::TogglePause()
{
    RunControl &run = m_queues.run();
    run.QueuePaused = !run.QueuePaused;
    return run.QueuePaused;
}

QString TQueueCommands::CancelQuestion(int mediaLines, int pageLines)
{
    QString question = QStringLiteral("Are you sure you want to stop downloading ") + QString::number(mediaLines)
                       + QStringLiteral(" images?");
    if (pageLines > 0)
        question += QStringLiteral(" (+") + QString::number(pageLines) + QStringLiteral(" pending pages)");
    return question;
}

bool TQueueCommands::Cancel(QObject *owner)
{
    ORVIX_ASSERT_MAIN_THREAD();
    const QString question = CancelQuestion(m_queues.MediaQueue.Count(), m_queues.PageQueue.Count());
    if (!AskYesNoCancel(owner, question, QString()))
        return false;
    CancelQueues();
    return true;
}

void TQueueCommands::CancelQueues()
{
    RunControl &run = m_queues.run();
    run.CancelMediaQueue = true;
    run.CancelPageQueue = true;
    try {
        m_queues.DeleteSessionQueueFiles();
    } catch (const std::exception &e) {
        // The workers delete the files of the lines they drop as well.
        LogMessage(exceptionMessage(e));
    }
    m_rows.CancelWaitingRows();
}

int TQueueCommands::RequeueFailed()
{
    ORVIX_ASSERT_MAIN_THREAD();
    if (m_queues.run().Canceling()) {
        InfoBox(QString::fromUtf16(kQueueCancelingMessage));
        return 0;
    }
    int queued = 0;
    for (const TQueueRow &row : m_rows.TakeRowsToRequeue()) {
        if (row.caption.startsWith(QStringLiteral("Q2:"))) {
            if (containsLine(m_queues.PageQueue, row.details))
                continue;
            requeuePage(row.caption, row.details);
            ++queued;
        } else if (m_queues.run().Canceling()) {
            InfoBox(QString::fromUtf16(kQueueCancelingRetryMessage));
        } else if (requeueMedia(row.caption, row.details)) {
            ++queued;
        }
    }
    return queued;
}

void TQueueCommands::requeuePage(const QString &caption, const QString &line)
{
    const QString url = TextTrim(caption.mid(3));
    try {
        // A failed line kept its item file; the line queued again gets one, not a second one.
        m_queues.DeleteQueueItemFile(QueueKind::Page, PageLineKey(line));
        m_queues.QueuePage(url, line, -1);
    } catch (const std::exception &e) {
        LogMessage(exceptionMessage(e));
    }
}

bool TQueueCommands::requeueMedia(const QString &caption, const QString &line)
{
    if (containsLine(m_queues.MediaQueue, line))
        return false;
    // One item file for the line, whether its old one was kept (failed) or deleted (canceled),
    // so it is resumed if the program ends before it is done.
    try {
        m_queues.DeleteQueueItemFile(QueueKind::Media, MediaLineKey(line));
        m_queues.itemFiles().WriteItemFile(QueueKind::Media, kMediaItemSuffix, line);
    } catch (const std::exception &e) {
        LogMessage(exceptionMessage(e));
    }
    m_queues.MediaQueue.Add(line);
    m_rows.AddToListViewQueue(caption, line);
    return true;
}

int TQueueCommands::CleanupCompleted()
{
    return m_rows.RemoveRows([](const TQueueRow &row) { return IsCompletedRow(row.status); });
}

int TQueueCommands::CleanupFailedAndCanceled()
{
    return m_rows.RemoveRows([](const TQueueRow &row) {
        return row.status == RowStatus::Failed || row.status == RowStatus::Canceled;
    });
}

int TQueueCommands::AskRemoveByText()
{
    ORVIX_ASSERT_MAIN_THREAD();
    QString text;
    if (!InputText(QStringLiteral("Remove from queue"), QStringLiteral("items containing:"), text))
        return 0;
    return RemoveByText(text);
}

int TQueueCommands::RemoveByText(const QString &text)
{
    if (text.isEmpty())
        return 0;
    // The lines leave under their queue's lock; a worker busy with one of them finds it gone
    // and leaves the rest alone. Rows and files follow once the lock is released.
    const QStringList media = takeLinesContaining(m_queues.MediaQueue, text);
    for (const QString &line : media) {
        m_rows.SetListViewQueueStatus(FirstLineField(line), RowStatus::Canceled);
        try {
            m_queues.DeleteQueueItemFile(QueueKind::Media, MediaLineKey(line));
        } catch (const std::exception &e) {
            LogMessage(exceptionMessage(e));
        }
    }
    const QStringList pages = takeLinesContaining(m_queues.PageQueue, text);
    for (const QString &line : pages) {
        m_rows.SetListViewQueueStatus(PageRowCaption(FirstLineField(line)), RowStatus::Canceled);
        try {
            m_queues.DeleteQueueItemFile(QueueKind::Page, PageLineKey(line));
        } catch (const std::exception &e) {
            LogMessage(exceptionMessage(e));
        }
    }
    return int(media.size() + pages.size());
}

} // namespace orvix
