#include "app/queue_rows.h"

#include "foundation/log.h"

namespace orvix {

bool TQueueRows::completed(const TQueueRow &row)
{
    return row.status == QLatin1String("done") || row.status == QLatin1String("requeued");
}

void TQueueRows::AddToListViewQueue(const QString &caption, const QString &queueLine)
{
    QMutexLocker lock(&m_lock);
    m_rows.prepend({caption, QString(), queueLine});
    for (qsizetype i = m_rows.size() - 1; i >= 0 && m_rows.size() > kMaxRows; --i)
        if (completed(m_rows[i]))
            m_rows.removeAt(i);
}

void TQueueRows::SetListViewQueueStatus(const QString &caption, const QString &status)
{
    {
        QMutexLocker lock(&m_lock);
        for (TQueueRow &row : m_rows) {
            if (row.caption != caption)
                continue;
            row.status = status;
            if (status == QLatin1String("done") && !debugMode)
                m_rows.removeIf(completed);
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

QStringList TQueueRows::captionsWithStatus(const QString &status) const
{
    QMutexLocker lock(&m_lock);
    QStringList captions;
    for (const TQueueRow &row : m_rows)
        if (row.status == status)
            captions << row.caption;
    return captions;
}

} // namespace orvix
