#pragma once

// The user's queue commands: pause and resume, cancel, requeue failed lines, the two cleanups of
// the rows and remove by text. The window's queue panel and orvix-cli both use them, so the two
// cannot treat the queues differently.
//
// Main thread (the workers change the queues meanwhile; every change here is made under the
// queue's lock, and the workers never take a line's place that was taken away from them).

#include <QString>

class QObject;

namespace orvix {

class QueueState;
class TQueueRows;

inline constexpr char16_t kQueueCancelingRetryMessage[] = u"queue is being canceled. please try again. (1)";

class TQueueCommands
{
public:
    // queues and rows must outlive the commands.
    TQueueCommands(QueueState &queues, TQueueRows &rows) : m_queues(queues), m_rows(rows) {}

    // Pauses or resumes both workers; returns whether they are paused now.
    bool TogglePause();

    // "Are you sure you want to stop downloading N images?" and " (+M pending pages)" when
    // page lines wait.
    static QString CancelQuestion(int mediaLines, int pageLines);
    // Asks; on Yes cancels (see CancelQueues). Returns whether it did.
    bool Cancel(QObject *owner = nullptr);
    // Both workers stop and empty their queues, the session's item files go, and every waiting
    // row says "canceled".
    void CancelQueues();

    // Every "failed" and "canceled" row, bottom row first, is marked "requeued" and its line
    // queued again with a new row. A line still queued is not queued a second time. Refused
    // with a message while the queues are being canceled. Returns the lines queued.
    int RequeueFailed();

    int CleanupCompleted();           // rows "done" and "requeued"
    int CleanupFailedAndCanceled();   // rows "failed" and "canceled"

    // Asks for the text ("Remove from queue", "items containing:"), then RemoveByText.
    int AskRemoveByText();
    // Every queued line that contains text leaves its queue with its item file; its row says
    // "canceled". Empty text matches nothing. Returns the lines removed.
    int RemoveByText(const QString &text);

private:
    void requeuePage(const QString &caption, const QString &line);
    bool requeueMedia(const QString &caption, const QString &line);

    QueueState &m_queues;
    TQueueRows &m_rows;
};

} // namespace orvix
