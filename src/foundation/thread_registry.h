#pragma once

// The run's worker threads, for exception reports: which threads are running (their stacks go
// into every report) and where an exception that ends a thread's routine is reported. Owned
// by the run's RunControl; guarded by its own lock, held only while the list is copied.

#include <QList>
#include <QString>

#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <pthread.h>

namespace orvix {

struct RegisteredThread
{
    pthread_t handle{};
    long threadId = 0; // the kernel's id, as reports show it
    QString className;
};

class ThreadRegistry
{
public:
    // What escapes a registered thread's routine: the exception, and the thread it ended.
    using FatalHandler = std::function<void(std::exception_ptr, const RegisteredThread &)>;

    void add(const QString &className);    // the calling thread
    void remove();                         // the calling thread
    QList<RegisteredThread> entries() const;

    void setFatalHandler(FatalHandler handler);
    // Hands the exception to the handler in the calling thread; false when none is set.
    bool reportFatal(std::exception_ptr error, const QString &className) const;

private:
    mutable std::mutex m_lock;
    QList<RegisteredThread> m_threads;
    FatalHandler m_fatal;
};

// Registers the calling thread for its lifetime. It also gives the thread an alternate signal
// stack, so that a fatal signal caused by a stack overflow in it can still be reported.
class ThreadRegistration
{
public:
    ThreadRegistration(ThreadRegistry *registry, const QString &className);
    ~ThreadRegistration();
    ThreadRegistration(const ThreadRegistration &) = delete;
    ThreadRegistration &operator=(const ThreadRegistration &) = delete;

private:
    ThreadRegistry *m_registry;
    std::unique_ptr<char[]> m_altStack; // set only when the thread had none
};

long CurrentThreadId(); // the kernel's id of the calling thread

} // namespace orvix
