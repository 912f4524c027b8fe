#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <utility>

namespace vidtrawl::host {

// The program's event loop, as the engine uses it: sockets to watch and
// one-shot timers. The front end owns it (Qt's loop in the desktop, a poll
// loop in the console); everything the engine does runs from its callbacks,
// one at a time on one thread, and nothing waits inside one.
class EventLoop {
public:
  static constexpr unsigned kReadable = 1;
  static constexpr unsigned kWritable = 2;
  using SocketReady = std::function<void(unsigned ready)>;
  using TimerId = std::uint64_t;

  virtual ~EventLoop() = default;

  // Watches a socket for what `interest` names (kReadable, kWritable or
  // both), in place of what was watched before; 0 watches it no more.
  // `ready` hears what the socket is ready for.
  virtual void Watch(int fd, unsigned interest, SocketReady ready) = 0;
  // Calls `fire` once, `delay` from now (0: at the loop's next turn), never
  // from inside this call. The id is never 0.
  virtual TimerId StartTimer(std::chrono::milliseconds delay, std::function<void()> fire) = 0;
  // The timer will not fire; nothing for one that fired already.
  virtual void StopTimer(TimerId timer) = 0;
};

// A timer an object owns: starting it again replaces the earlier start, and
// it is stopped when its owner goes.
class Timer {
public:
  explicit Timer(EventLoop &loop) : loop_(&loop) {}
  ~Timer() { Stop(); }
  Timer(const Timer &) = delete;
  Timer &operator=(const Timer &) = delete;

  void Start(std::chrono::milliseconds delay, std::function<void()> fire) {
    Stop();
    id_ = loop_->StartTimer(delay, [this, fire = std::move(fire)] {
      id_ = 0; // `fire` may start it again, or end its owner
      fire();
    });
  }
  void Stop() {
    if (id_ != 0)
      loop_->StopTimer(std::exchange(id_, 0));
  }
  bool Active() const { return id_ != 0; }
  EventLoop &Loop() const { return *loop_; }

private:
  EventLoop *loop_;
  EventLoop::TimerId id_ = 0;
};

} // namespace vidtrawl::host
