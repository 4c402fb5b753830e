#include "thread_registry.h"

#include <sys/syscall.h>
#include <unistd.h>

namespace orvix {

long CurrentThreadId()
{
    return long(syscall(SYS_gettid));
}

void ThreadRegistry::add(const QString &className)
{
    std::lock_guard lock(m_lock);
    m_threads.append({pthread_self(), CurrentThreadId(), className});
}

void ThreadRegistry::remove()
{
    const pthread_t self = pthread_self();
    std::lock_guard lock(m_lock);
    m_threads.removeIf([self](const RegisteredThread &t) { return pthread_equal(t.handle, self); });
}

QList<RegisteredThread> ThreadRegistry::entries() const
{
    std::lock_guard lock(m_lock);
    return m_threads;
}

void ThreadRegistry::setFatalHandler(FatalHandler handler)
{
    std::lock_guard lock(m_lock);
    m_fatal = std::move(handler);
}

bool ThreadRegistry::reportFatal(std::exception_ptr error, const QString &className) const
{
    FatalHandler handler;
    {
        std::lock_guard lock(m_lock);
        handler = m_fatal;
    }
    if (!handler)
        return false;
    handler(error, RegisteredThread{pthread_self(), CurrentThreadId(), className});
    return true;
}

ThreadRegistration::ThreadRegistration(ThreadRegistry *registry, const QString &className) : m_registry(registry)
{
    if (m_registry)
        m_registry->add(className);
}

ThreadRegistration::~ThreadRegistration()
{
    if (m_registry)
        m_registry->remove();
}

} // namespace orvix
