#pragma once

#include "host/Pump.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

namespace vidtrawl::cli {

// The console's pump: turns a pending interrupt into a confirmed stop and
// runs the progress display when a redraw is due. It is called for every
// chunk of a transfer, so a call costs two relaxed atomic loads: the clock
// is watched by a ticker thread that only raises the "due" flag; the
// display itself runs on the engine's thread, inside the pump.
class ConsolePump final : public host::Pump {
public:
  // interrupted: raised (by a signal handler) when the user asks to stop.
  explicit ConsolePump(const std::atomic<bool> &interrupted) : interrupted_(interrupted) {}
  ~ConsolePump() override { StopTicks(); }
  ConsolePump(const ConsolePump &) = delete;
  ConsolePump &operator=(const ConsolePump &) = delete;

  // What an interrupt does: the engine's confirmed stop request.
  void OnInterrupt(std::function<void()> stop) { stop_ = std::move(stop); }

  // Calls `tick` from the pump at most once per interval until StopTicks.
  void StartTicks(std::function<void()> tick, std::chrono::milliseconds interval);
  void StopTicks();

  // Makes the next Yield run the tick (as the ticker thread does).
  void RaiseTick() { due_.store(true, std::memory_order_relaxed); }

  void Yield() override {
    // Set again at every call: a pass clears the flag when it begins, and a
    // stop asked for just before must still stop it.
    if (interrupted_.load(std::memory_order_relaxed) && stop_)
      stop_();
    if (due_.load(std::memory_order_relaxed))
      Tick();
  }

private:
  void Tick();

  const std::atomic<bool> &interrupted_;
  std::function<void()> stop_;
  std::atomic<bool> due_{false};
  std::function<void()> tick_;
  bool inTick_ = false;

  std::thread ticker_;
  std::mutex mutex_;
  std::condition_variable wake_;
  bool stopping_ = false;
};

} // namespace vidtrawl::cli
