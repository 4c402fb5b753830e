#include "main_thread_call.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QThread>

namespace orvix {

bool IsMainThread()
{
    QCoreApplication *app = QCoreApplication::instance();
    return !app || QThread::currentThread() == app->thread();
}

void RunOnMainThread(const std::function<void()> &fn)
{
    if (IsMainThread()) {
        fn();
        return;
    }
    // An exception must not cross the event loop: carry it back to the asking thread.
    std::exception_ptr failure;
    QMetaObject::invokeMethod(
        QCoreApplication::instance(),
        [&] {
            try {
                fn();
            } catch (...) {
                failure = std::current_exception();
            }
        },
        Qt::BlockingQueuedConnection);
    if (failure)
        std::rethrow_exception(failure);
}

} // namespace orvix
