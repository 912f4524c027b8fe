#pragma once

#include "host/Pump.h"

#include <chrono>

namespace vidtrawl::gui {

// The desktop's pump: lets Qt handle pending events, but no more often than
// every few milliseconds of work. The engine yields after every 2 KiB of a
// transfer; handling events each time would cost more than the transfer,
// while a few milliseconds keep the window answering at once.
class QtPump final : public host::Pump {
public:
  using Clock = std::chrono::steady_clock;
  static constexpr std::chrono::milliseconds kDefaultInterval{4};

  explicit QtPump(Clock::duration interval = kDefaultInterval) : interval_(interval) {}

  void Yield() override;

  // How often the events were actually handled.
  long Turns() const { return turns_; }

private:
  Clock::duration interval_;
  Clock::time_point last_{};
  long turns_ = 0;
};

} // namespace vidtrawl::gui
