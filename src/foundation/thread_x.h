#pragma once

// Fire-and-forget work on a thread of its own: nothing waits for it or reads a result, and the
// thread frees itself when the work ends. An exception the work lets out goes to the message log,
// and, when the thread is started with the run's registry, to the exception reports.

#include <functional>

namespace orvix {

class ThreadRegistry;

class TThreadX
{
public:
    static void StartNew(std::function<void()> threadProc, ThreadRegistry *registry = nullptr);
};

} // namespace orvix
