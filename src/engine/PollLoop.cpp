#include "engine/PollLoop.h"

#include <curl/curl.h>

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>
#include <vector>

namespace vidtrawl::engine {

PollLoop::PollLoop() : poller_(curl_multi_init()) {
  if (::pipe2(wake_, O_NONBLOCK | O_CLOEXEC) != 0)
    wake_[0] = wake_[1] = -1;
}

PollLoop::~PollLoop() {
  curl_multi_cleanup(static_cast<CURLM *>(poller_));
  for (const int fd : wake_)
    if (fd >= 0)
      ::close(fd);
}

void PollLoop::Watch(int fd, unsigned interest, SocketReady ready) {
  if (interest == 0)
    sockets_.erase(fd);
  else
    sockets_[fd] = Watched{interest, std::move(ready)};
}

host::EventLoop::TimerId PollLoop::StartTimer(std::chrono::milliseconds delay,
                                              std::function<void()> fire) {
  return timers_.Add(delay, std::move(fire));
}

void PollLoop::StopTimer(TimerId timer) {
  timers_.Remove(timer);
}

void PollLoop::Wake() const noexcept {
  if (wake_[1] >= 0) {
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(wake_[1], &byte, 1);
  }
}

void PollLoop::RunOnce(std::chrono::milliseconds longest) {
  using Clock = host::TimerQueue::Clock;
  auto wait = std::max(longest, std::chrono::milliseconds(0));
  if (const std::optional<Clock::time_point> due = timers_.NextDue())
    wait = std::clamp(std::chrono::ceil<std::chrono::milliseconds>(*due - Clock::now()),
                      std::chrono::milliseconds(0), wait);

  std::vector<curl_waitfd> fds;
  fds.reserve(sockets_.size() + 1);
  for (const auto &[fd, watched] : sockets_)
    fds.push_back({fd,
                   static_cast<short>(((watched.interest & kReadable) ? CURL_WAIT_POLLIN : 0) |
                                      ((watched.interest & kWritable) ? CURL_WAIT_POLLOUT : 0)),
                   0});
  if (wake_[0] >= 0)
    fds.push_back({wake_[0], CURL_WAIT_POLLIN, 0});
  curl_multi_poll(static_cast<CURLM *>(poller_), fds.data(), static_cast<unsigned>(fds.size()),
                  static_cast<int>(std::min<long long>(wait.count(), 1 << 30)), nullptr);

  for (const curl_waitfd &entry : fds) {
    if (entry.revents == 0)
      continue;
    if (entry.fd == wake_[0]) {
      char drain[64];
      while (::read(wake_[0], drain, sizeof drain) > 0) {
      }
      continue;
    }
    // Looked up again: an earlier one may have stopped watching it.
    const auto it = sockets_.find(entry.fd);
    if (it == sockets_.end())
      continue;
    unsigned ready = 0;
    if (entry.revents & (CURL_WAIT_POLLIN | CURL_WAIT_POLLPRI))
      ready |= it->second.interest & kReadable;
    if (entry.revents & CURL_WAIT_POLLOUT)
      ready |= it->second.interest & kWritable;
    if (ready == 0)
      continue;
    const SocketReady call = it->second.ready; // the callback may replace its own watch
    call(ready);
  }
  timers_.FireDue();
}

bool PollLoop::RunUntil(const std::function<bool()> &done, std::chrono::milliseconds limit) {
  const auto end = std::chrono::steady_clock::now() + limit;
  while (!done()) {
    const auto left =
        std::chrono::ceil<std::chrono::milliseconds>(end - std::chrono::steady_clock::now());
    if (left <= std::chrono::milliseconds(0))
      return false;
    RunOnce(std::min(left, std::chrono::milliseconds(1000)));
  }
  return true;
}

} // namespace vidtrawl::engine
