#pragma once

#include "engine/PollLoop.h"

#include <atomic>

namespace vidtrawl::cli {

// Ctrl-C (SIGINT) and SIGTERM ask the program to stop: the handler only
// records the request and wakes the loop, whose owner turns it into a
// confirmed stop. A second
// signal while the first is still pending ends the program at once with
// status 130. SIGPIPE and SIGXFSZ are ignored so that a closed output pipe
// or a file-size limit shows up as a failed write, not as a killed process.
void InstallInterruptHandlers();

// The loop the handler wakes (nothing: none).
void WakeOnInterrupt(const engine::PollLoop *loop);

// True once a stop was asked for by a signal.
bool InterruptRequested();

// The flag behind InterruptRequested, for a cheap look from a hot loop.
const std::atomic<bool> &InterruptFlag();

} // namespace vidtrawl::cli
