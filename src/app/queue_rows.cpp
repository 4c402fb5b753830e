#include "app/queue_rows.h"

#include "foundation/log.h"
#include "foundation/run_control.h"

namespace orvix {

void TQueueRows::setListener(IQueueRowsListener *listener)
{
    std::lock_guard lock(m_lock);
    m_listener = listener;
}

void TQueueRows::AddToListViewQueue(const QString &caption, const QString &queueLine)
{
    std::lock_guard lock(m_lock);
    m_rows.prepend({caption, RowStatus::Waiting, queueLine});
    if (m_listener)
        m_listener->rowInserted(0, m_rows.constFirst());
    for (qsizetype i = m_rows.size() - 1; i >= 0 && m_rows.size() > kMaxRows; --i)
        if (IsCompletedRow(m_rows[i].status))
            removeAt(int(i));
}

void TQueueRows::SetListViewQueueStatus(const QString &caption, RowStatus status)
{
    {
        std::lock_guard lock(m_lock);
        const int row = rowOfCaption(caption);
        if (row >= 0) {
            setStatusAt(row, status);
            if (status == RowStatus::Done && !m_run.debugMode) {
                for (qsizetype i = m_rows.size() - 1; i >= 0; --i)
                    if (IsCompletedRow(m_rows[i].status))
                        removeAt(int(i));
            }
            return;
        }
    }
    LogMessage(QStringLiteral("Item not found in queue: ") + caption);
}

int TQueueRows::RemoveRows(const std::function<bool(const TQueueRow &)> &pick)
{
    std::lock_guard lock(m_lock);
    int removed = 0;
    for (qsizetype i = m_rows.size() - 1; i >= 0; --i) {
        if (pick(m_rows[i])) {
            removeAt(int(i));
            ++removed;
        }
    }
    return removed;
}

void TQueueRows::CancelWaitingRows()
{
    std::lock_guard lock(m_lock);
    for (int i = 0; i < m_rows.size(); ++i)
        if (m_rows[i].status == RowStatus::Waiting)
            setStatusAt(i, RowStatus::Canceled);
}

QList<TQueueRow> TQueueRows::TakeRowsToRequeue()
{
    std::lock_guard lock(m_lock);
    QList<TQueueRow> taken;
    for (int i = int(m_rows.size()) - 1; i >= 0; --i) {
        const RowStatus status = m_rows[i].status;
        if (status != RowStatus::Failed && status != RowStatus::Canceled)
            continue;
        taken << m_rows[i];
        setStatusAt(i, RowStatus::Requeued);
    }
    return taken;
}

QList<TQueueRow> TQueueRows::rows() const
{
    std::lock_guard lock(m_lock);
    return m_rows;
}

int TQueueRows::count() const
{
    std::lock_guard lock(m_lock);
    return int(m_rows.size());
}

TQueueRow TQueueRows::rowAt(int row) const
{
    std::lock_guard lock(m_lock);
    return m_rows.value(row);
}

QStringList TQueueRows::captionsWithStatus(RowStatus status) const
{
    std::lock_guard lock(m_lock);
    QStringList captions;
    for (const TQueueRow &row : m_rows)
        if (row.status == status)
            captions << row.caption;
    return captions;
}

int TQueueRows::rowOfCaption(const QString &caption) const
{
    for (int i = 0; i < m_rows.size(); ++i)
        if (m_rows[i].caption == caption)
            return i;
    return -1;
}

void TQueueRows::setStatusAt(int row, RowStatus status)
{
    m_rows[row].status = status;
    if (m_listener)
        m_listener->rowChanged(row, m_rows[row]);
}

void TQueueRows::removeAt(int row)
{
    m_rows.removeAt(row);
    if (m_listener)
        m_listener->rowRemoved(row);
}

} // namespace orvix
