#pragma once

// The common frame of the two download workers: a thread running Execute() until the run's
// AppClosing is set, its pauses (which end early when the program closes), and the product's timing.

#include <QString>

#include <atomic>
#include <functional>
#include <thread>

namespace orvix {

class IWorkerHost;
class RunControl;
class TThreadStringList;

// The product's waits; tests and benchmarks inject shorter ones.
struct WorkerTiming
{
    int pollMs = 1000;          // idle poll of the queues and the flags
    int failurePauseMs = 5000;  // after a failed item
    int diskWaitMs = 4000;      // while the pictures folder's volume is full
    int browserWaitMs = 10000;  // a listing page's time to load and run its scripts
    int browserCheckMs = 100;   // how often that wait looks at the clock
    int httpTimeoutSeconds = 90; // inactivity time-out of the workers' requests
    int connectTimeoutSeconds = 15; // reaching the server, inside the inactivity time-out
    int lowSpeedSeconds = 60;   // a transfer below 1 KB/s this long fails
};

class TIEHttp;
// The workers' request limits and their stop on closing, applied to a client.
void ApplyWorkerLimits(TIEHttp &http, const WorkerTiming &timing, const RunControl &run);

class TWorkerThread
{
public:
    // run must outlive the worker.
    TWorkerThread(RunControl &run, WorkerTiming timing) : m_run(run), m_timing(timing) {}
    // The owner sets AppClosing before the worker is destroyed; destruction waits for the loop.
    virtual ~TWorkerThread();
    TWorkerThread(const TWorkerThread &) = delete;
    TWorkerThread &operator=(const TWorkerThread &) = delete;

    void Start();
    // Waits until Execute() has returned (AppClosing must be set, or the loop never ends).
    void WaitFor();
    bool isRunning() const { return m_running; }
    const WorkerTiming &timing() const { return m_timing; }

protected:
    virtual void Execute() = 0;
    // The name the thread has in exception reports.
    virtual QString ThreadClassName() const { return QStringLiteral("TWorkerThread"); }
    // Sleeps ms (at least a moment, so a poll of 0 does not spin); false when AppClosing ended
    // it early.
    bool Pause(int ms) const;
    // The start of a pass: a canceled queue is emptied (and the flag cleared), then the worker
    // idles while the queues are paused, until closing or a cancel. dropped runs for each line
    // emptied out, after the queue's lock is released: a line queued after the cancel command
    // deleted the item files still has one, which must go with it.
    void ServeCancelAndPause(TThreadStringList &queue, std::atomic<bool> &cancel, IWorkerHost &host,
                             const std::function<void(const QString &line)> &dropped);

    RunControl &m_run;
    WorkerTiming m_timing;

private:
    std::thread m_thread;
    std::atomic<bool> m_running{false};
};

} // namespace orvix
