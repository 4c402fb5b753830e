#include "app/main_thread_bridge.h"

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

TMainThreadBridge::TMainThreadBridge(QObject *parent) : QObject(parent) {}

TMainThreadBridge::~TMainThreadBridge()
{
    detach();
}

bool TMainThreadBridge::call(const std::function<void()> &fn)
{
    if (m_detached)
        return false;
    if (QThread::currentThread() == thread()) {
        fn();
        return true;
    }
    auto pending = std::make_shared<PendingCall>();
    pending->fn = fn;
    QMetaObject::invokeMethod(
        this,
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
                pending->failure = std::current_exception();
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
        // Once the code runs it is waited for: it is on the main thread, which is not waiting.
        if (m_detached && !pending->running) {
            pending->abandoned = true;
            return false;
        }
        pending->changed.wait_for(wait, std::chrono::milliseconds(20));
    }
    if (pending->failure)
        std::rethrow_exception(pending->failure);
    return true;
}

} // namespace orvix
