#include "retry_timing.h"

#include <QThread>
#include <atomic>

namespace orvix {

namespace {
std::atomic<int> g_listPauseMs{200};
std::atomic<int> g_filePauseMs{1000};
std::atomic<int> g_lockWaitMs{200};
} // namespace

RetryTiming GetRetryTiming()
{
    return RetryTiming{g_listPauseMs.load(), g_filePauseMs.load(), g_lockWaitMs.load()};
}

void SetRetryTiming(const RetryTiming &timing)
{
    g_listPauseMs = timing.listPauseMs;
    g_filePauseMs = timing.filePauseMs;
    g_lockWaitMs = timing.lockWaitMs;
}

void RetryPause(int ms)
{
    if (ms > 0)
        QThread::msleep(ulong(ms));
}

} // namespace orvix
