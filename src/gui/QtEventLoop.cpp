#include "gui/QtEventLoop.h"

#include <algorithm>

namespace vidtrawl::gui {

QtEventLoop::QtEventLoop() {
  timer_.setSingleShot(true);
  timer_.setTimerType(Qt::PreciseTimer);
  connect(&timer_, &QTimer::timeout, this, [this] {
    timers_.FireDue();
    Arm();
  });
}

QtEventLoop::~QtEventLoop() = default;

void QtEventLoop::Retire(std::unique_ptr<QSocketNotifier> &notifier) {
  if (!notifier)
    return;
  notifier->setEnabled(false);
  notifier.release()->deleteLater();
}

void QtEventLoop::Watch(int fd, unsigned interest, SocketReady ready) {
  if (interest == 0) {
    if (const auto it = sockets_.find(fd); it != sockets_.end()) {
      Retire(it->second.read);
      Retire(it->second.write);
      sockets_.erase(it);
    }
    return;
  }
  Watched &watched = sockets_[fd];
  watched.ready = std::move(ready);
  const auto follow = [&](std::unique_ptr<QSocketNotifier> &notifier, QSocketNotifier::Type type,
                          unsigned wanted) {
    if ((interest & wanted) == 0) {
      Retire(notifier);
      return;
    }
    if (notifier) {
      notifier->setEnabled(true);
      return;
    }
    notifier = std::make_unique<QSocketNotifier>(fd, type);
    connect(notifier.get(), &QSocketNotifier::activated, this,
            [this, fd, wanted] { Activated(fd, wanted); });
  };
  follow(watched.read, QSocketNotifier::Read, kReadable);
  follow(watched.write, QSocketNotifier::Write, kWritable);
}

void QtEventLoop::Activated(int fd, unsigned ready) {
  const auto it = sockets_.find(fd);
  if (it == sockets_.end())
    return;
  const SocketReady call = it->second.ready; // the call may replace its own watch
  call(ready);
}

host::EventLoop::TimerId QtEventLoop::StartTimer(std::chrono::milliseconds delay,
                                                 std::function<void()> fire) {
  const TimerId id = timers_.Add(delay, std::move(fire));
  Arm();
  return id;
}

void QtEventLoop::StopTimer(TimerId timer) {
  timers_.Remove(timer);
}

void QtEventLoop::Arm() {
  const std::optional<host::TimerQueue::Clock::time_point> due = timers_.NextDue();
  if (!due) {
    timer_.stop();
    return;
  }
  const auto wait =
      std::max(std::chrono::ceil<std::chrono::milliseconds>(*due - host::TimerQueue::Clock::now()),
               std::chrono::milliseconds(0));
  // Started again only when it would fire too late: restarting costs a system call.
  if (timer_.isActive() && std::chrono::milliseconds(timer_.remainingTime()) <= wait)
    return;
  timer_.start(wait);
}

} // namespace vidtrawl::gui
