#include "cli/ConsolePump.h"

#include "scheduler/WindowState.h"

namespace vidtrawl::cli {

void ConsolePump::Yield() {
  // Set again at every call: a pass clears the flag when it begins, and a
  // stop asked for just before must still stop it.
  if (state_ != nullptr && interrupted_())
    state_->bStopRequested = true;
  if (!tick_ || inTick_)
    return;
  const Clock::time_point now = Clock::now();
  if (now < next_)
    return;
  next_ = now + interval_;
  inTick_ = true;
  tick_();
  inTick_ = false;
}

} // namespace vidtrawl::cli
