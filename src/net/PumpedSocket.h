#pragma once

#include <netdb.h>

#include "host/Pump.h"

#include <chrono>
#include <functional>
#include <string>
#include <string_view>

namespace vidtrawl::net {

// A non-blocking TCP client whose waits (name look-up, connect, send,
// receive) keep the host's pump turning at least every 20 ms and end at a
// deadline, or as soon as the stop check says so after a pump. Every
// failure leaves a description in Error() and returns false.
class PumpedSocket {
public:
  using Clock = std::chrono::steady_clock;

  PumpedSocket(host::Pump &pump, Clock::time_point deadline,
               std::function<bool()> stopRequested = {});
  ~PumpedSocket();
  PumpedSocket(const PumpedSocket &) = delete;
  PumpedSocket &operator=(const PumpedSocket &) = delete;

  // Connects to host (a name or an IPv4/IPv6 literal without brackets) and
  // port, trying each address the name resolves to in turn.
  bool Connect(const std::string &host, int port);
  bool Send(std::string_view data);
  // Reads the head of an answer into out: up to the blank line that ends
  // its headers (or the connection's end, or the first 64 KiB), waiting for
  // each piece. A peer that closes before sending anything is a failure.
  bool ReceiveHead(std::string &out);
  void Close();

  const std::string &Error() const { return error_; }
  // A wait ended because a stop was requested.
  bool Stopped() const { return stopped_; }

private:
  bool Lookup(const std::string &host, int port, addrinfo *&found);
  bool WaitFor(short events);
  bool Fail(const std::string &description);
  // Pumps the host; true when a stop was requested meanwhile.
  bool PumpAndCheck();

  host::Pump &pump_;
  Clock::time_point deadline_;
  std::function<bool()> stopRequested_;
  bool stopped_ = false;
  int fd_ = -1;
  std::string error_;
};

} // namespace vidtrawl::net
