#include "thread_registry.h"

#include <csignal>
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

namespace {
constexpr size_t kAltStackSize = 64 * 1024;
}

ThreadRegistration::ThreadRegistration(ThreadRegistry *registry, const QString &className) : m_registry(registry)
{
    if (m_registry)
        m_registry->add(className);
    stack_t current{};
    if (sigaltstack(nullptr, &current) == 0 && (current.ss_flags & SS_DISABLE)) {
        m_altStack = std::make_unique<char[]>(kAltStackSize);
        stack_t stack{};
        stack.ss_sp = m_altStack.get();
        stack.ss_size = kAltStackSize;
        if (sigaltstack(&stack, nullptr) != 0)
            m_altStack.reset();
    }
}

ThreadRegistration::~ThreadRegistration()
{
    if (m_altStack) {
        stack_t off{};
        off.ss_flags = SS_DISABLE;
        sigaltstack(&off, nullptr);
    }
    if (m_registry)
        m_registry->remove();
}

} // namespace orvix
