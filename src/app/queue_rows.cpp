#include "app/queue_rows.h"

#include "foundation/log.h"
#include "foundation/run_control.h"

namespace orvix {

void TQueueRows::AddToListViewQueue(const QString &caption, const QString &queueLine)
{
    QMutexLocker lock(&m_lock);
    m_rows.prepend({caption, RowStatus::Waiting, queueLine});
    for (qsizetype i = m_rows.size() - 1; i >= 0 && m_rows.size() > kMaxRows; --i)
        if (IsCompletedRow(m_rows[i].status))
            m_rows.removeAt(i);
}

void TQueueRows::SetListViewQueueStatus(const QString &caption, RowStatus status)
{
    {
        QMutexLocker lock(&m_lock);
        for (TQueueRow &row : m_rows) {
            if (row.caption != caption)
                continue;
            row.status = status;
            if (status == RowStatus::Done && !m_run.debugMode)
                m_rows.removeIf([](const TQueueRow &r) { return IsCompletedRow(r.status); });
            return;
        }
    }
    LogMessage(QStringLiteral("Item not found in queue: ") + caption);
}

QList<TQueueRow> TQueueRows::rows() const
{
    QMutexLocker lock(&m_lock);
    return m_rows;
}

QStringList TQueueRows::captionsWithStatus(RowStatus status) const
{
    QMutexLocker lock(&m_lock);
    QStringList captions;
    for (const TQueueRow &row : m_rows)
        if (row.status == status)
            captions << row.caption;
    return captions;
}

} // namespace orvix
