#include "thread_x.h"

#include "errors.h"
#include "log.h"

#include <QCoreApplication>
#include <QThread>

namespace orvix {

void TThreadX::StartNew(std::function<void()> threadProc)
{
    QThread *thread = QThread::create([proc = std::move(threadProc)] {
        try {
            proc();
        } catch (const std::exception &e) {
            LogMessage(exceptionMessage(e));
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
