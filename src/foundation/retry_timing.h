#pragma once

// Pauses of the retrying file functions. Files of this program are often held for a moment
// by a second instance or a scanner, so reads and writes try again instead of failing at once.
// The pauses are product values; tests shorten them so the give-up paths run in milliseconds.

#include <exception>

namespace orvix {

constexpr int kRetryAttempts = 11;

struct RetryTiming {
    int listPauseMs = 200;  // whole lists (LoadListRetry, SaveListUtf8Retry, line reads)
    int filePauseMs = 1000; // the "_5x" file functions
    int lockWaitMs = 200;   // how long one append waits for another writer to let go
};

RetryTiming GetRetryTiming();
void SetRetryTiming(const RetryTiming &timing);

// Runs attempt() up to kRetryAttempts times, sleeping pauseMs after each failure (an exception
// derived from std::exception). Returns true on success; false when every attempt failed.
template<typename F>
bool RetryAttempts(int pauseMs, F &&attempt);

void RetryPause(int ms);

template<typename F>
bool RetryAttempts(int pauseMs, F &&attempt)
{
    for (int i = 1; i <= kRetryAttempts; ++i) {
        try {
            attempt();
            return true;
        } catch (const std::exception &) {
            if (i < kRetryAttempts)
                RetryPause(pauseMs);
        }
    }
    return false;
}

} // namespace orvix
