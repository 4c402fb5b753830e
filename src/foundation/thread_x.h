#pragma once

// Fire-and-forget work on a thread of its own: nothing waits for it or reads a result, and the
// thread frees itself when the work ends. An exception the work lets out goes to the message log.

#include <functional>

namespace orvix {

class TThreadX
{
public:
    static void StartNew(std::function<void()> threadProc);
};

} // namespace orvix
