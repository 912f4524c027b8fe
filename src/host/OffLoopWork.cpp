#include "host/OffLoopWork.h"

#include "base/FileDescriptor.h"

#include <atomic>
#include <cstdint>
#include <system_error>
#include <thread>

#include <sys/eventfd.h>
#include <unistd.h>

namespace vidtrawl::host {

// What the loop and the thread share: the work (the thread's once it runs),
// and how the thread tells the loop that it has ended: a flag and a
// descriptor the loop watches, open for as long as either side holds them.
struct OffLoopWork::Signal {
  base::FileDescriptor fd{::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)};
  std::atomic<bool> ended{false};
  std::function<void()> work;
};

OffLoopWork::OffLoopWork(EventLoop &loop, std::function<void()> work, std::function<void()> done)
    : loop_(loop), signal_(std::make_shared<Signal>()), done_(std::move(done)), inline_(loop) {
  signal_->work = std::move(work);
  if (signal_->fd) {
    try {
      std::thread([signal = signal_] {
        signal->work();
        signal->work = nullptr; // what it holds goes here, before the loop hears of the end
        signal->ended.store(true, std::memory_order_release);
        const std::uint64_t one = 1;
        [[maybe_unused]] const ssize_t written = ::write(signal->fd.Get(), &one, sizeof one);
      }).detach();
      loop_.Watch(signal_->fd.Get(), EventLoop::kReadable, [this](unsigned) {
        if (signal_->ended.load(std::memory_order_acquire))
          Ended();
      });
      return;
    } catch (const std::system_error &) {
    }
  }
  inline_.Start(std::chrono::milliseconds(0), [this, signal = std::move(signal_)] {
    signal->work();
    Ended();
  });
}

OffLoopWork::~OffLoopWork() {
  if (signal_)
    loop_.Watch(signal_->fd.Get(), 0, {});
}

void OffLoopWork::Ended() {
  if (signal_) {
    loop_.Watch(signal_->fd.Get(), 0, {});
    signal_.reset();
  }
  const std::function<void()> done = std::move(done_);
  done(); // last: the owner may destroy this
}

} // namespace vidtrawl::host
