#pragma once

#include <atomic>

namespace orvix {

// Flags shared by the main window and both download workers. One thread sets a flag and the
// workers poll it about once a second, so plain atomics are all the synchronisation needed.
extern std::atomic<bool> CancelMediaQueue; // the media worker empties its queue, then clears it
extern std::atomic<bool> CancelPageQueue;  // the page worker empties its queue, then clears it
extern std::atomic<bool> QueuePaused;      // both workers idle while it is set
extern std::atomic<bool> AppClosing;       // every worker leaves its loop

} // namespace orvix
