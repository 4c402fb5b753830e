#include "main_thread_call.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QThread>

#include <chrono>
#include <condition_variable>
#include <exception>
#include <memory>
#include <mutex>

namespace orvix {

namespace {

struct PendingCall
{
    std::function<void()> fn;
    std::mutex lock;
    std::condition_variable changed;
    bool running = false;
    bool done = false;
    bool abandoned = false;
    std::exception_ptr failure;
};

} // namespace

bool CallOnObjectThread(QObject *target, const std::function<void()> &fn, const std::atomic<bool> *detached)
{
    const auto isDetached = [detached] { return detached && *detached; };
    if (isDetached())
        return false;
    if (QThread::currentThread() == target->thread()) {
        fn();
        return true;
    }
    auto pending = std::make_shared<PendingCall>();
    pending->fn = fn;
    QMetaObject::invokeMethod(
        target,
        [pending] {
            {
                std::lock_guard guard(pending->lock);
                if (pending->abandoned)
                    return;
                pending->running = true;
            }
            try {
                pending->fn();
            } catch (...) {
                pending->failure = std::current_exception(); // must not cross the event loop
            }
            {
                std::lock_guard guard(pending->lock);
                pending->done = true;
            }
            pending->changed.notify_all();
        },
        Qt::QueuedConnection);

    std::unique_lock wait(pending->lock);
    while (!pending->done) {
        // Once the code runs it is waited for: it is on the target's thread, which is not waiting.
        if (isDetached() && !pending->running) {
            pending->abandoned = true;
            return false;
        }
        if (detached)
            pending->changed.wait_for(wait, std::chrono::milliseconds(20));
        else
            pending->changed.wait(wait);
    }
    if (pending->failure)
        std::rethrow_exception(pending->failure);
    return true;
}

bool IsMainThread()
{
    QCoreApplication *app = QCoreApplication::instance();
    return !app || QThread::currentThread() == app->thread();
}

void AssertMainThread(const char *where)
{
    if (!IsMainThread())
        qFatal("%s must run on the main thread", where);
}

void RunOnMainThread(const std::function<void()> &fn)
{
    if (IsMainThread()) {
        fn();
        return;
    }
    CallOnObjectThread(QCoreApplication::instance(), fn);
}

TMainThreadBridge::TMainThreadBridge(QObject *parent) : QObject(parent) {}

TMainThreadBridge::~TMainThreadBridge()
{
    detach();
}

bool TMainThreadBridge::call(const std::function<void()> &fn)
{
    return CallOnObjectThread(this, fn, &m_detached);
}

} // namespace orvix
