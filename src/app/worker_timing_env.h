#pragma once

// Shorter waits for test runs and benchmarks of whole programs, read from the environment
// variable ORVIX_WORKER_TIMING: comma-separated NAME=MILLISECONDS with the names poll, pause,
// disk, browser, check (the workers' waits), http, connect and lowspeed (the requests'
// inactivity and connection time-outs and the time below 1 KB/s they tolerate, in seconds)
// and fetchpause (the pause between sizes-page attempts). Unknown names and values that are
// not numbers are ignored. Without the variable everything keeps the product's values.

#include "engine/worker_thread.h"

namespace orvix {

inline constexpr char kWorkerTimingVariable[] = "ORVIX_WORKER_TIMING";

// timing with the variable's values applied; the fetch pause is set where FetchPageText
// reads it.
WorkerTiming ApplyWorkerTimingFromEnvironment(WorkerTiming timing);

} // namespace orvix
