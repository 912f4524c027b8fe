#pragma once

#include "host/Pump.h"

#include <atomic>
#include <chrono>
#include <functional>

namespace vidtrawl::cli {

// The console's pump: turns a pending interrupt into a confirmed stop and
// runs the progress display when a redraw is due. The engine calls it at
// most every few milliseconds while it waits on the network.
class ConsolePump final : public host::Pump {
public:
  using Clock = std::chrono::steady_clock;

  // interrupted: raised (by a signal handler) when the user asks to stop.
  explicit ConsolePump(const std::atomic<bool> &interrupted) : interrupted_(interrupted) {}

  // What an interrupt does: the engine's confirmed stop request.
  void OnInterrupt(std::function<void()> stop) { stop_ = std::move(stop); }

  // Calls `tick` from the pump at most once per interval until StopTicks.
  void StartTicks(std::function<void()> tick, std::chrono::milliseconds interval);
  void StopTicks() { tick_ = {}; }

  void Yield() override;

private:
  const std::atomic<bool> &interrupted_;
  std::function<void()> stop_;
  std::function<void()> tick_;
  std::chrono::milliseconds interval_{};
  Clock::time_point lastTick_{};
  bool inTick_ = false;
};

} // namespace vidtrawl::cli
