#pragma once

#include "host/Pump.h"

#include <cstdint>

namespace vidtrawl::gui {

// The desktop's pump: lets Qt handle pending events, but no more often than
// every few milliseconds of work. The engine yields several times per 2 KiB
// of a transfer; handling events each time would cost more than the
// transfer, while a few milliseconds keep the window answering at once.
class QtPump final : public host::Pump {
public:
  static constexpr std::int64_t kDefaultIntervalNs = 4'000'000;

  explicit QtPump(std::int64_t intervalNs = kDefaultIntervalNs) : intervalNs_(intervalNs) {}

  void Yield() override;

  // How often the events were actually handled.
  long Turns() const { return turns_; }

private:
  std::int64_t intervalNs_;
  std::int64_t last_ = 0;
  long turns_ = 0;
};

} // namespace vidtrawl::gui
