#pragma once

#include "host/EventLoop.h"

#include <chrono>
#include <functional>
#include <map>
#include <optional>
#include <unordered_map>
#include <utility>

namespace vidtrawl::host {

// The timers of an event loop, in the order they are due; what the loops of
// both front ends share.
class TimerQueue {
public:
  using Clock = std::chrono::steady_clock;

  EventLoop::TimerId Add(std::chrono::milliseconds delay, std::function<void()> fire);
  void Remove(EventLoop::TimerId timer);
  // When the first timer is due; nothing when none is waiting.
  std::optional<Clock::time_point> NextDue() const;
  // Fires each timer that is due now, in order; a timer started by one of
  // them waits for the next call, also when it is due at once.
  void FireDue();
  bool Empty() const { return due_.empty(); }

private:
  using Key = std::pair<Clock::time_point, EventLoop::TimerId>;
  std::map<Key, std::function<void()>> due_;
  std::unordered_map<EventLoop::TimerId, Clock::time_point> when_;
  EventLoop::TimerId next_ = 1;
};

} // namespace vidtrawl::host
