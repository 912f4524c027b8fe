#pragma once

#include "host/MessageBox.h"
#include "host/Pump.h"
#include "net/ConnectionMap.h"
#include "net/Session.h"

#include <chrono>
#include <string>

namespace vidtrawl::resolve {

// Asks the YouTube player's host for the video's address: one hand-built
// HTTP/1.1 request over a raw TCP connection, whose redirection answer names
// the video in the query of its "Location:" header. A connection that fails
// is shown to the user as "Connection Error," and its description.
class RedirectResolver {
public:
  static constexpr std::chrono::milliseconds kDefaultTimeout{30000};
  static constexpr int kDefaultPort = 80;

  // The video's address, or empty with why not.
  struct Answer {
    std::string address;
    std::string problem;
  };

  RedirectResolver(host::Pump &pump, host::MessageBox &messages,
                   net::ConnectionMap connections = {});

  // The video address "http://" + host + "/get_video?..." for a player
  // address. Nothing starts after a stop, and a stop ends the exchange at
  // once, without a message.
  Answer Resolve(const std::string &playerAddress, const net::StopCheck &stop);

  // The longest the whole exchange may take before it counts as an error.
  void SetTimeout(std::chrono::milliseconds timeout) { timeout_ = timeout; }

private:
  Answer Fail(const std::string &problem, bool tell);

  host::Pump &pump_;
  host::MessageBox &messages_;
  net::ConnectionMap connections_;
  std::chrono::milliseconds timeout_ = kDefaultTimeout;
};

} // namespace vidtrawl::resolve
