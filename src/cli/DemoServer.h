#pragma once

#include "cli/DemoSite.h"

#include <chrono>
#include <memory>
#include <string>
#include <thread>

namespace httplib {
class Server;
}

namespace vidtrawl::cli {

// Answers the demo site's requests on an HTTP server: its pages, the
// player's redirection and the videos, whatever host a request names. Each
// video is sent in pieces of kPieceSize with a pause after each, so that a
// transfer takes long enough to be watched.
void MountDemoSite(httplib::Server &server, const DemoSite &site,
                   std::chrono::milliseconds pausePerPiece);

// The demo's own HTTP server on a free loopback port, running on a thread
// of its own from Start() until the object goes away.
class DemoServer {
public:
  static constexpr std::size_t kPieceSize = 32 * 1024;

  explicit DemoServer(std::chrono::milliseconds pausePerPiece = std::chrono::milliseconds(6));
  ~DemoServer();
  DemoServer(const DemoServer &) = delete;
  DemoServer &operator=(const DemoServer &) = delete;

  // Starts listening; false when no loopback port could be had.
  bool Start();
  int Port() const { return port_; }

private:
  std::unique_ptr<httplib::Server> server_;
  std::thread thread_;
  int port_ = 0;
};

} // namespace vidtrawl::cli
