#pragma once

#include "host/EventLoop.h"
#include "net/ConnectionMap.h"
#include "net/CurlMulti.h"
#include "net/TimeLimits.h"

#include <cstdint>
#include <functional>
#include <string>

namespace vidtrawl::net {

// Told of the bytes of a body received so far, and of the length the
// answer announced (0: none).
using ProgressSink = std::function<void(std::uint64_t received, std::uint64_t announced)>;

// What every request of the program shares: the event loop and the curl
// multi handle it drives (which also keeps connections open for the next
// request to the same server), where connections go, and the time limits.
class Session {
public:
  static constexpr const char *kAgent = "Mozilla/4.0 (compatible; MSIE 5.0; Windows NT; DigExt)";

  Session(host::EventLoop &loop, ConnectionMap connections, TimeLimits limits = {});
  Session(const Session &) = delete;
  Session &operator=(const Session &) = delete;

  host::EventLoop &Loop() const { return multi_.Loop(); }
  CurlMulti &Multi() { return multi_; }
  const ConnectionMap &Connections() const { return connections_; }
  const TimeLimits &Limits() const { return limits_; }
  void SetLimits(TimeLimits limits) { limits_ = limits; }

private:
  ConnectionMap connections_;
  TimeLimits limits_;
  CurlMulti multi_;
};

// Initialises libcurl once per process; safe to call from anywhere.
void InitCurlOnce();

} // namespace vidtrawl::net
