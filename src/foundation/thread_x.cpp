#include "thread_x.h"

#include "errors.h"
#include "log.h"
#include "thread_registry.h"

#include <QCoreApplication>
#include <QThread>

namespace orvix {

void TThreadX::StartNew(std::function<void()> threadProc, ThreadRegistry *registry)
{
    QThread *thread = QThread::create([proc = std::move(threadProc), registry] {
        ThreadRegistration registration(registry, QStringLiteral("TThreadX"));
        try {
            proc();
        } catch (const std::exception &e) {
            LogMessage(exceptionMessage(e));
            if (registry)
                registry->reportFatal(std::current_exception(), QStringLiteral("TThreadX"));
        } catch (...) {
            LogMessage(QStringLiteral("Unknown error in a background task"));
        }
    });
    // The thread object is deleted by the main thread's event loop, whichever thread started it.
    if (QCoreApplication *app = QCoreApplication::instance())
        thread->moveToThread(app->thread());
    QObject::connect(thread, &QThread::finished, thread, &QObject::deleteLater);
    thread->start();
}

} // namespace orvix
