#pragma once

#include "host/EventLoop.h"

#include <functional>
#include <memory>

namespace vidtrawl::host {

// Work too long for the event loop (searching a large page): it runs on a
// thread of its own, and `done` is called on the loop when it has ended,
// never from inside the constructor. Destroying this before then drops the
// end at once: `done` is not called and the thread finishes the work alone.
// So the work must own everything it reads and writes (share a result with
// `done` through a shared_ptr, not through this object's owner).
//
// The thread is never joined: nothing waits for a search, neither a stop
// nor the program's exit, which cuts off a thread still running. That is
// safe for work that touches only what it owns and no object of static
// storage that the exit destroys (a page search holds none).
class OffLoopWork {
public:
  OffLoopWork(EventLoop &loop, std::function<void()> work, std::function<void()> done);
  ~OffLoopWork();
  OffLoopWork(const OffLoopWork &) = delete;
  OffLoopWork &operator=(const OffLoopWork &) = delete;

private:
  struct Signal;
  void Ended();

  EventLoop &loop_;
  std::shared_ptr<Signal> signal_; // the thread's too, until it ends
  std::function<void()> done_;
  Timer inline_; // without a thread to be had, the work runs at the loop's next turn
};

} // namespace vidtrawl::host
