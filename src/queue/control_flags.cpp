#include "queue/control_flags.h"

namespace orvix {

std::atomic<bool> CancelMediaQueue{false};
std::atomic<bool> CancelPageQueue{false};
std::atomic<bool> QueuePaused{false};
std::atomic<bool> AppClosing{false};

} // namespace orvix
