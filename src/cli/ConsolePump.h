#pragma once

#include "host/Pump.h"

#include <chrono>
#include <functional>

namespace vidtrawl::scheduler {
struct WindowState;
}

namespace vidtrawl::cli {

// The console's pump: turns a pending interrupt into a confirmed stop and
// calls the progress display at most once per interval. It runs for every
// chunk of a transfer, so it does no more than an atomic load and a clock
// read per call.
class ConsolePump final : public host::Pump {
public:
  using Clock = std::chrono::steady_clock;

  ConsolePump(std::function<bool()> interrupted, std::chrono::milliseconds interval)
      : interrupted_(std::move(interrupted)), interval_(interval) {}

  // The state whose stop flag an interrupt sets (the engine's).
  void SetState(scheduler::WindowState *state) { state_ = state; }
  // Called at most once per interval while the engine works.
  void SetTick(std::function<void()> tick) { tick_ = std::move(tick); }

  void Yield() override;

private:
  std::function<bool()> interrupted_;
  std::chrono::milliseconds interval_;
  scheduler::WindowState *state_ = nullptr;
  std::function<void()> tick_;
  Clock::time_point next_{};
  bool inTick_ = false;
};

} // namespace vidtrawl::cli
