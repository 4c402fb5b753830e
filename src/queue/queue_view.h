#pragma once

// What the queues need from the queue view. The main window implements it directly; a worker
// implements it with a synchronised call to the window, and the command-line tool without one.

#include <QString>

namespace orvix {

class IQueueView
{
public:
    virtual ~IQueueView() = default;
    // Adds the row [caption, no status, queue line] at the top of the view.
    virtual void AddToListViewQueue(const QString &caption, const QString &queueLine) = 0;
};

// For hosts that show no queue.
class NullQueueView : public IQueueView
{
public:
    void AddToListViewQueue(const QString &, const QString &) override {}
};

} // namespace orvix
