#pragma once

#include "host/EventLoop.h"
#include "net/CurlRequest.h"
#include "net/Session.h"

#include <chrono>
#include <cstddef>
#include <functional>
#include <string>

namespace vidtrawl::sites {

// Asks the YouTube player's host for the video's address: one hand-built
// HTTP/1.1 request, sent byte for byte as it is over a connection curl makes
// (so the connection mapping holds), whose redirection answer names the
// video in the query of its "Location:" header. It starts at once and ends
// on the loop; destroying it ends the exchange without a word.
class PlayerLookup {
public:
  static constexpr std::chrono::milliseconds kDefaultTimeout{30000};
  static constexpr int kDefaultPort = 80;

  // The video's address, or empty with why not ("Connection refused",
  // "Connection timed out", "Invalid host name", ...).
  struct Answer {
    std::string address;
    std::string problem;
  };
  using Done = std::function<void(Answer)>;

  // The video address "http://" + host + "/get_video?..." for a player
  // address; the whole exchange may take `timeout`.
  PlayerLookup(net::Session &session, const std::string &playerAddress,
               std::chrono::milliseconds timeout, Done done);
  ~PlayerLookup();
  PlayerLookup(const PlayerLookup &) = delete;
  PlayerLookup &operator=(const PlayerLookup &) = delete;

private:
  void Connected();
  void Exchange(unsigned ready);
  void Watch(unsigned interest);
  void Finish(Answer answer);

  net::Session &session_;
  net::CurlRequest connection_;
  host::Timer deadline_;
  host::Timer early_; // an address that is no use ends at the loop's next turn
  Done done_;
  std::string host_;
  std::string request_;
  std::size_t sent_ = 0;
  std::string head_;
  int fd_ = -1;
};

} // namespace vidtrawl::sites
