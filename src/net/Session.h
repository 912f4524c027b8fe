#pragma once

#include "host/EventLoop.h"
#include "net/ClientOptions.h"
#include "net/ConnectionMap.h"
#include "net/CookieJar.h"
#include "net/CurlMulti.h"
#include "net/TimeLimits.h"

#include <cstdint>
#include <functional>
#include <string>

namespace vidtrawl::net {

// Told of the bytes of a body received so far, and of the length the
// answer announced (0: none).
using ProgressSink = std::function<void(std::uint64_t received, std::uint64_t announced)>;

// How downloads are received: the connections one file may use at once,
// and how often a transient failure is tried again (0: never).
struct DownloadRules {
  int connections = 1;
  int retries = 0;
};

// What every request of the program shares: the event loop and the curl
// multi handle it drives (which also keeps connections open for the next
// request to the same server), where connections go, the time limits and
// how requests present themselves.
class Session {
public:
  static constexpr const char *kAgent = ClientOptions::kLegacyAgent;

  Session(host::EventLoop &loop, ConnectionMap connections, TimeLimits limits = {});
  Session(const Session &) = delete;
  Session &operator=(const Session &) = delete;

  host::EventLoop &Loop() const { return multi_.Loop(); }
  CurlMulti &Multi() { return multi_; }
  const ConnectionMap &Connections() const { return connections_; }
  const TimeLimits &Limits() const { return limits_; }
  void SetLimits(TimeLimits limits) { limits_ = limits; }
  const ClientOptions &Client() const { return client_; }
  // Sets how requests present themselves; the cookies file is read here, once.
  void SetClient(ClientOptions client);
  const CookieJar &Cookies() const { return cookies_; }
  const DownloadRules &Rules() const { return rules_; }
  void SetRules(DownloadRules rules) { rules_ = rules; }

private:
  ConnectionMap connections_;
  TimeLimits limits_;
  ClientOptions client_;
  CookieJar cookies_;
  DownloadRules rules_;
  CurlMulti multi_;
};

// Initialises libcurl once per process; safe to call from anywhere.
void InitCurlOnce();

} // namespace vidtrawl::net
