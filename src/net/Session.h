#pragma once

#include "host/Pump.h"
#include "net/ConnectionMap.h"
#include "net/TimeLimits.h"

#include <curl/curl.h>

#include <functional>
#include <memory>
#include <string>

namespace vidtrawl::net {

// Asked after each call of the pump: true ends the wait and the request.
using StopCheck = std::function<bool()>;
// Told of the bytes of a body received so far, and of the length the
// answer announced (0: none).
using ProgressSink = std::function<void(std::uint64_t received, std::uint64_t announced)>;

// What every request of the program shares: the host's pump, where
// connections go, the time limits, and the connections kept open for the
// next request to the same server. Requests run one at a time.
class Session {
public:
  static constexpr const char *kAgent = "Mozilla/4.0 (compatible; MSIE 5.0; Windows NT; DigExt)";

  Session(host::Pump &pump, ConnectionMap connections, TimeLimits limits = {});
  ~Session();
  Session(const Session &) = delete;
  Session &operator=(const Session &) = delete;

  host::Pump &Pump() const { return pump_; }
  const ConnectionMap &Connections() const { return connections_; }
  const TimeLimits &Limits() const { return limits_; }
  void SetLimits(TimeLimits limits) { limits_ = limits; }

  // The multi handle requests run on (nullptr when curl could not make one)
  // and the pool of open connections.
  CURLM *Multi() const { return multi_; }
  CURLSH *Pool() const { return pool_; }

private:
  host::Pump &pump_;
  ConnectionMap connections_;
  TimeLimits limits_;
  CURLSH *pool_;
  CURLM *multi_;
};

// Initialises libcurl once per process; safe to call from anywhere.
void InitCurlOnce();

} // namespace vidtrawl::net
