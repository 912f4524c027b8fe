#pragma once

#include "host/EventLoop.h"
#include "host/TimerQueue.h"

#include <chrono>
#include <functional>
#include <map>

namespace vidtrawl::engine {

// An event loop of its own for a program without one (the console, tests,
// benchmarks): each turn waits in curl_multi_poll for the watched sockets
// or the first timer, then handles what is ready. A signal handler may end
// a wait through Wake().
class PollLoop final : public host::EventLoop {
public:
  using host::EventLoop::SocketReady;
  using host::EventLoop::TimerId;

  PollLoop();
  ~PollLoop() override;
  PollLoop(const PollLoop &) = delete;
  PollLoop &operator=(const PollLoop &) = delete;

  void Watch(int fd, unsigned interest, SocketReady ready) override;
  TimerId StartTimer(std::chrono::milliseconds delay, std::function<void()> fire) override;
  void StopTimer(TimerId timer) override;

  // One turn: waits at most `longest` (less when a timer is due sooner),
  // then handles every ready socket and every due timer.
  void RunOnce(std::chrono::milliseconds longest);
  // Turns until `done` says so (asked before each turn) or `limit` has
  // passed; whether it did.
  bool RunUntil(const std::function<bool()> &done,
                std::chrono::milliseconds limit = std::chrono::hours(24));
  // Ends the wait of the current or next turn. Safe in a signal handler.
  void Wake() const noexcept;

private:
  struct Watched {
    unsigned interest;
    SocketReady ready;
  };
  std::map<int, Watched> sockets_;
  host::TimerQueue timers_;
  void *poller_; // the curl multi handle whose poll waits
  int wake_[2] = {-1, -1};
};

} // namespace vidtrawl::engine
