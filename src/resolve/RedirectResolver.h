#pragma once

#include "host/MessageBox.h"
#include "host/Pump.h"
#include "net/ConnectionMap.h"

#include <chrono>
#include <functional>
#include <string>

namespace vidtrawl::resolve {

// Asks the YouTube player's host for the video's address: one hand-built
// HTTP/1.1 request over a raw TCP connection, whose redirection answer names
// the video in the query of its "Location:" header. One resolution at a time;
// the state of the last one stays readable until the next.
class RedirectResolver {
public:
  static constexpr std::chrono::milliseconds kDefaultTimeout{30000};
  static constexpr int kDefaultPort = 80;

  RedirectResolver(host::Pump &pump, host::MessageBox &messages,
                   net::ConnectionMap connections = {});

  // The video address "http://" + host + "/get_video?..." for a player
  // address, or empty text when it cannot be had (a connection error, shown
  // to the user, or an answer without a usable "Location:" header).
  std::string GetYoutubePathLnik(const std::string &sLink);

  // The longest the whole exchange may take before it counts as an error.
  void SetTimeout(std::chrono::milliseconds timeout) { timeout_ = timeout; }
  // The user's stop: asked after every call of the pump; while it holds no
  // exchange starts and a running one ends at once, without a message.
  void SetStopCheck(std::function<bool()> stopRequested) {
    stopRequested_ = std::move(stopRequested);
  }

  std::string wsHost;              // host of the player address, with its port if any
  std::string wsLink;              // path and query of the player address
  bool bFindYoutubeFinish = false; // the answer or an error has arrived
  std::string sYoutubeDownLink;    // the answer as received, then the path built from it

private:
  bool Exchange(); // connects, sends, reads the first part of the answer
  void ShowConnectionError(const std::string &description);

  host::Pump &pump_;
  host::MessageBox &messages_;
  net::ConnectionMap connections_;
  std::chrono::milliseconds timeout_ = kDefaultTimeout;
  std::function<bool()> stopRequested_;
};

} // namespace vidtrawl::resolve
