#pragma once

// Runs a piece of code on the main thread and waits for it. From the main thread itself the code
// simply runs (a blocking queued call to one's own thread would wait forever); without an
// application object it runs where it is.

#include <functional>

namespace orvix {

void RunOnMainThread(const std::function<void()> &fn);
bool IsMainThread();

} // namespace orvix
