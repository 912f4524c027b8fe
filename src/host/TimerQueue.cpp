#include "host/TimerQueue.h"

namespace vidtrawl::host {

EventLoop::TimerId TimerQueue::Add(std::chrono::milliseconds delay, std::function<void()> fire) {
  const EventLoop::TimerId id = next_++;
  const Clock::time_point when = Clock::now() + delay;
  due_.emplace(Key{when, id}, std::move(fire));
  when_.emplace(id, when);
  return id;
}

void TimerQueue::Remove(EventLoop::TimerId timer) {
  const auto it = when_.find(timer);
  if (it == when_.end())
    return;
  due_.erase(Key{it->second, timer});
  when_.erase(it);
}

std::optional<TimerQueue::Clock::time_point> TimerQueue::NextDue() const {
  if (due_.empty())
    return std::nullopt;
  return due_.begin()->first.first;
}

void TimerQueue::FireDue() {
  const Clock::time_point now = Clock::now();
  const EventLoop::TimerId last = next_ - 1;
  // Each is looked up again: one that fired may have stopped the others.
  for (auto it = due_.begin(); it != due_.end() && it->first.first <= now;) {
    if (it->first.second > last) {
      ++it;
      continue;
    }
    std::function<void()> fire = std::move(it->second);
    when_.erase(it->first.second);
    due_.erase(it);
    fire();
    it = due_.begin();
  }
}

} // namespace vidtrawl::host
