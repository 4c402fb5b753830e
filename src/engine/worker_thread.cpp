#include "engine/worker_thread.h"

#include "engine/ie_http.h"
#include "engine/worker_host.h"
#include "foundation/errors.h"
#include "foundation/formats.h"
#include "foundation/log.h"
#include "foundation/thread_string_list.h"
#include "foundation/run_control.h"

#include <algorithm>
#include <chrono>

namespace orvix {

QString DownloadProgress::text() const
{
    QString text;
    if (downloading()) {
        const int percent = total == 0 ? 0 : int(double(bytesRead) * 100.0 / double(total));
        text = FormatKB(bytesRead) + QStringLiteral(" of ") + FormatKB(total) + QStringLiteral(" (")
               + QString::number(percent) + QStringLiteral("%)");
    }
    if (picturesLeft > 1)
        text += QStringLiteral(" (") + QString::number(picturesLeft) + QStringLiteral(" images left)");
    if (pagesPending > 1)
        text += QStringLiteral(" (+") + QString::number(pagesPending) + QStringLiteral(" pending pages)");
    return (paused ? QStringLiteral("-PAUSED-: ") : QStringLiteral("Downloading: ")) + text;
}

void ApplyWorkerLimits(TIEHttp &http, const WorkerTiming &timing, const RunControl &run)
{
    http.setTimeout(timing.httpTimeoutSeconds);
    http.ConnectTimeoutSeconds = timing.connectTimeoutSeconds;
    http.LowSpeedSeconds = timing.lowSpeedSeconds;
    // Closing must not wait for a slow download to end.
    http.StopWhen = &run.AppClosing;
}

TWorkerThread::~TWorkerThread()
{
    WaitFor();
}

void TWorkerThread::Start()
{
    if (m_thread.joinable())
        return;
    m_running = true;
    m_thread = std::thread([this, name = ThreadClassName()] {
        ThreadRegistration registration(&m_run.Threads, name);
        try {
            Execute();
        } catch (const std::exception &e) {
            // Execute catches per item; this only guards the thread itself. What ends it goes
            // to the log and to the run's exception reports, when it has them.
            LogMessage(QStringLiteral("worker stopped: ") + exceptionMessage(e));
            m_run.Threads.reportFatal(std::current_exception(), name);
        } catch (...) {
            LogMessage(QStringLiteral("worker stopped by an unknown exception"));
            m_run.Threads.reportFatal(std::current_exception(), name);
        }
        m_running = false;
    });
}

void TWorkerThread::WaitFor()
{
    if (m_thread.joinable() && m_thread.get_id() != std::this_thread::get_id())
        m_thread.join();
}

void TWorkerThread::ServeCancelAndPause(TThreadStringList &queue, std::atomic<bool> &cancel, IWorkerHost &host,
                                        const std::function<void(const QString &line)> &dropped)
{
    const auto serveCancel = [&] {
        if (!cancel)
            return;
        QStringList lines;
        {
            TThreadStringList::Locker lock(queue);
            lines = std::exchange(lock.list(), {});
        }
        for (const QString &line : std::as_const(lines)) {
            try {
                dropped(line);
            } catch (const std::exception &e) {
                LogMessage(exceptionMessage(e));
            }
        }
        host.ShowDownloadStatus();
        cancel = false;
    };
    serveCancel();
    while (m_run.QueuePaused && !m_run.AppClosing && !cancel)
        Pause(m_timing.pollMs);
    // A cancel that ended the pause empties the queue now, before a canceled line is started.
    serveCancel();
}

bool TWorkerThread::Pause(int ms) const
{
    using namespace std::chrono;
    // Slices short enough that closing never waits for a whole pause.
    constexpr int kSliceMs = 50;
    const auto end = steady_clock::now() + milliseconds(std::max(ms, 1));
    for (;;) {
        if (m_run.AppClosing)
            return false;
        const auto now = steady_clock::now();
        if (now >= end)
            return true;
        std::this_thread::sleep_for(std::min(duration_cast<milliseconds>(end - now), milliseconds(kSliceMs)));
    }
}

} // namespace orvix
