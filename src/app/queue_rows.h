#pragma once

// The rows of the queue view without the view: one row per queued line, newest first, with the
// caption (a media line's download URL, "Q2: " + a page line's URL), its status and the line.
// The window's queue panel shows them through a listener; orvix-cli reads them to tell what
// failed; the queue commands change them.
//
// Thread-safe: the workers' hosts and the main thread change it. The listener is told of each
// change on the thread that made it, while the rows are locked: it must not call back.

#include "queue/queue_row.h"
#include "queue/queue_view.h"

#include <QList>
#include <mutex>
#include <QString>

#include <functional>

namespace orvix {

class RunControl;

struct TQueueRow
{
    QString caption;
    RowStatus status = RowStatus::Waiting;
    QString details;
};

// A view of the rows: told where each change happened, so it never rebuilds the whole list.
class IQueueRowsListener
{
public:
    virtual ~IQueueRowsListener() = default;
    virtual void rowInserted(int row, const TQueueRow &value) = 0;
    virtual void rowChanged(int row, const TQueueRow &value) = 0;
    virtual void rowRemoved(int row) = 0;
};

class TQueueRows : public IQueueView
{
public:
    static constexpr int kMaxRows = 200;

    // run (its debug mode keeps "done" rows) must outlive the rows.
    explicit TQueueRows(const RunControl &run) : m_run(run) {}

    // The listener (or none) must outlive the rows or be unset first.
    void setListener(IQueueRowsListener *listener);

    // Adds [caption, no status, line] at the top; beyond kMaxRows, completed rows go from the
    // bottom up until kMaxRows remain or none is left to go.
    void AddToListViewQueue(const QString &caption, const QString &queueLine) override;
    // Sets the status of the first row from the top with that caption; when there is none,
    // "Item not found in queue: " + caption goes to the message log. Outside debug mode "done"
    // takes every completed row out of the view.
    void SetListViewQueueStatus(const QString &caption, RowStatus status);

    // Removes every row the test picks; returns how many went.
    int RemoveRows(const std::function<bool(const TQueueRow &)> &pick);
    // Every waiting row becomes "canceled" (the cancel command).
    void CancelWaitingRows();
    // The rows to requeue, bottom row first: every "failed" or "canceled" row, each marked
    // "requeued" as it is taken.
    QList<TQueueRow> TakeRowsToRequeue();

    QList<TQueueRow> rows() const; // top first
    int count() const;
    TQueueRow rowAt(int row) const; // an empty row when out of range
    // Captions of the rows with that status, top first.
    QStringList captionsWithStatus(RowStatus status) const;

private:
    int rowOfCaption(const QString &caption) const; // lock held
    void setStatusAt(int row, RowStatus status);     // lock held
    void removeAt(int row);                          // lock held

    const RunControl &m_run;
    mutable std::mutex m_lock; // a standard lock: the thread sanitizer sees it
    QList<TQueueRow> m_rows;
    IQueueRowsListener *m_listener = nullptr;
};

} // namespace orvix
