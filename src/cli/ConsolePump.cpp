#include "cli/ConsolePump.h"

namespace vidtrawl::cli {

void ConsolePump::Tick() {
  if (!tick_ || inTick_)
    return;
  due_.store(false, std::memory_order_relaxed);
  inTick_ = true;
  tick_();
  inTick_ = false;
}

void ConsolePump::StartTicks(std::function<void()> tick, std::chrono::milliseconds interval) {
  StopTicks();
  tick_ = std::move(tick);
  stopping_ = false;
  ticker_ = std::thread([this, interval] {
    std::unique_lock<std::mutex> lock(mutex_);
    while (!wake_.wait_for(lock, interval, [this] { return stopping_; }))
      due_.store(true, std::memory_order_relaxed);
  });
}

void ConsolePump::StopTicks() {
  if (ticker_.joinable()) {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      stopping_ = true;
    }
    wake_.notify_all();
    ticker_.join();
  }
  tick_ = {};
  due_.store(false, std::memory_order_relaxed);
}

} // namespace vidtrawl::cli
