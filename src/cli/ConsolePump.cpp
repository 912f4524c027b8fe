#include "cli/ConsolePump.h"

namespace vidtrawl::cli {

void ConsolePump::StartTicks(std::function<void()> tick, std::chrono::milliseconds interval) {
  tick_ = std::move(tick);
  interval_ = interval;
  lastTick_ = Clock::now();
}

void ConsolePump::Yield() {
  // Asked again at every call: a pass clears its stop when it begins, and a
  // stop asked for just before must still stop it.
  if (interrupted_.load(std::memory_order_relaxed) && stop_)
    stop_();
  if (!tick_ || inTick_)
    return;
  const Clock::time_point now = Clock::now();
  if (now - lastTick_ < interval_)
    return;
  lastTick_ = now;
  inTick_ = true; // a display that yields does not draw inside itself
  tick_();
  inTick_ = false;
}

} // namespace vidtrawl::cli
