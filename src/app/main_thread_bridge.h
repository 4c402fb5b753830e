#pragma once

// How a worker's host runs a piece of code on the main thread and waits for it. Unlike a plain
// blocking queued call it can be detached: when the owner is about to wait for the workers on
// the main thread, calls still waiting give up instead of waiting for a thread that waits for
// them.

#include <QObject>

#include <atomic>
#include <functional>

namespace orvix {

class TMainThreadBridge : public QObject
{
public:
    // The bridge belongs to the thread that creates it (the main thread).
    explicit TMainThreadBridge(QObject *parent = nullptr);
    ~TMainThreadBridge() override;

    // Runs fn on the bridge's thread and waits until it has run; an exception it raises is
    // raised here. False, without running fn, once detached. On the bridge's own thread fn runs
    // at once.
    bool call(const std::function<void()> &fn);

    // Any thread: waiting and later calls return false. The workers must be stopped before the
    // bridge is destroyed.
    void detach() { m_detached = true; }
    void attach() { m_detached = false; }
    bool isDetached() const { return m_detached; }

private:
    std::atomic<bool> m_detached{false};
};

} // namespace orvix
