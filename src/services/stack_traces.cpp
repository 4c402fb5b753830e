#include "stack_traces.h"

#include <boost/stacktrace.hpp>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <dlfcn.h>
#include <mutex>
#include <semaphore.h>
#include <time.h>

namespace orvix {

namespace {

constexpr int kStackSignal = SIGURG; // ignored by default, used by nothing else here
constexpr int kMaxFrames = 64;

// The throw site of the calling thread's last exception: a catch handler only sees the stack
// after unwinding, so the throw itself records it.
thread_local void *tlsThrowFrames[kMaxFrames];
thread_local int tlsThrowCount = 0;

// One request for another thread's stack at a time; the signal handler fills the slot.
std::mutex requestLock;
void *requestFrames[kMaxFrames];
std::atomic<int> requestCount{0};
sem_t requestDone;

// The dump ends with a zero frame.
StackFrames framesOf(void *const *frames, std::size_t n)
{
    StackFrames out;
    for (std::size_t i = 0; i < n; ++i)
        if (frames[i])
            out.push_back(frames[i]);
    return out;
}

void onStackSignal(int)
{
    const int saved = errno;
    const std::size_t n = boost::stacktrace::safe_dump_to(2, requestFrames, sizeof(requestFrames));
    requestCount = int(n);
    sem_post(&requestDone);
    errno = saved;
}

} // namespace

void InstallStackSignal()
{
    static std::once_flag once;
    std::call_once(once, [] {
        sem_init(&requestDone, 0, 0);
        struct sigaction sa = {};
        sa.sa_handler = onStackSignal;
        sigemptyset(&sa.sa_mask);
        sa.sa_flags = SA_RESTART;
        sigaction(kStackSignal, &sa, nullptr);
    });
}

StackFrames CurrentStack(int skip)
{
    void *frames[kMaxFrames];
    const std::size_t n = boost::stacktrace::safe_dump_to(std::size_t(skip + 1), frames, sizeof(frames));
    return framesOf(frames, n);
}

void RecordThrowStack()
{
    // Not this function, not the throw hook.
    tlsThrowCount = int(boost::stacktrace::safe_dump_to(2, tlsThrowFrames, sizeof(tlsThrowFrames)));
}

StackFrames LastThrowStack()
{
    return framesOf(tlsThrowFrames, std::size_t(tlsThrowCount));
}

StackFrames ThreadStack(pthread_t thread, int timeoutMs)
{
    if (pthread_equal(thread, pthread_self()))
        return CurrentStack(1);
    InstallStackSignal();
    std::lock_guard lock(requestLock);
    while (sem_trywait(&requestDone) == 0) {} // an answer that came too late last time
    requestCount = 0;
    if (pthread_kill(thread, kStackSignal) != 0)
        return {};
    timespec until{};
    clock_gettime(CLOCK_REALTIME, &until);
    until.tv_sec += timeoutMs / 1000;
    until.tv_nsec += long(timeoutMs % 1000) * 1000000L;
    if (until.tv_nsec >= 1000000000L) {
        until.tv_sec += 1;
        until.tv_nsec -= 1000000000L;
    }
    while (sem_timedwait(&requestDone, &until) != 0)
        if (errno != EINTR)
            return {};
    return framesOf(requestFrames, std::size_t(requestCount.load()));
}

QStringList RenderStack(const StackFrames &frames)
{
    QStringList lines;
    for (void *address : frames) {
        const boost::stacktrace::frame f(address);
        QString line = QString::fromStdString(f.name());
        if (line.isEmpty()) {
            Dl_info info{};
            line = dladdr(address, &info) && info.dli_fname
                       ? QStringLiteral("%1+0x%2").arg(QString::fromLocal8Bit(info.dli_fname))
                             .arg(quintptr(address) - quintptr(info.dli_fbase), 0, 16)
                       : QStringLiteral("??");
        }
        const std::string file = f.source_file();
        if (!file.empty())
            line += QStringLiteral(" at %1:%2").arg(QString::fromStdString(file)).arg(f.source_line());
        lines << line;
    }
    return lines;
}

} // namespace orvix
