#pragma once

// The rows of the queue view without the view: one row per queued line, newest first, with the
// caption (a media line's download URL, "Q2: " + a page line's URL), its status and the line.
// The window's queue panel shows them; orvix-cli reads them to tell what failed.
//
// Thread-safe: the workers' hosts and the main thread change it.

#include "queue/queue_row.h"
#include "queue/queue_view.h"

#include <QList>
#include <QMutex>
#include <QString>

namespace orvix {

class RunControl;

struct TQueueRow
{
    QString caption;
    RowStatus status = RowStatus::Waiting;
    QString details;
};

class TQueueRows : public IQueueView
{
public:
    static constexpr int kMaxRows = 200;

    // run (its debug mode keeps "done" rows) must outlive the rows.
    explicit TQueueRows(const RunControl &run) : m_run(run) {}

    // Adds [caption, no status, line] at the top; beyond kMaxRows, completed rows go from the
    // bottom up until kMaxRows remain or none is left to go.
    void AddToListViewQueue(const QString &caption, const QString &queueLine) override;
    // Sets the status of the first row from the top with that caption; when there is none,
    // "Item not found in queue: " + caption goes to the message log. Outside debug mode "done"
    // takes every completed row out of the view.
    void SetListViewQueueStatus(const QString &caption, RowStatus status);

    QList<TQueueRow> rows() const; // top first
    // Captions of the rows with that status, top first.
    QStringList captionsWithStatus(RowStatus status) const;

private:
    const RunControl &m_run;
    mutable QMutex m_lock;
    QList<TQueueRow> m_rows;
};

} // namespace orvix
