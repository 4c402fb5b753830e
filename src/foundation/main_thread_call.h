#pragma once

// Running a piece of code on the main thread and waiting for it. One mechanism serves the
// dialogs and the window's helpers (RunOnMainThread) and the workers' hosts (TMainThreadBridge);
// the bridge can also be detached: when the owner is about to wait for the workers on the main
// thread, calls still waiting give up instead of waiting for a thread that waits for them.

#include <QObject>

#include <atomic>
#include <functional>

namespace orvix {

// Runs fn on target's thread and waits until it has run; an exception it raises is raised
// here. On target's own thread fn runs at once. When detached (may be null) turns true before
// fn has started, fn is dropped and the answer is false.
bool CallOnObjectThread(QObject *target, const std::function<void()> &fn,
                        const std::atomic<bool> *detached = nullptr);

// True on the application's main thread, and everywhere while there is no application object.
bool IsMainThread();

// Ends the process with a message naming where when called off the main thread. Entry points
// that belong to the main thread check it through ORVIX_ASSERT_MAIN_THREAD, which development
// builds (ORVIX_THREAD_CHECKS) compile in and release builds leave out.
void AssertMainThread(const char *where);
#ifdef ORVIX_THREAD_CHECKS
#define ORVIX_ASSERT_MAIN_THREAD() ::orvix::AssertMainThread(Q_FUNC_INFO)
#else
#define ORVIX_ASSERT_MAIN_THREAD() static_cast<void>(0)
#endif

// Runs fn on the main thread and waits for it; on the main thread itself (or without an
// application object) fn simply runs.
void RunOnMainThread(const std::function<void()> &fn);

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
