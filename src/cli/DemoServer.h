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

// The demo's own HTTP server on a free loopback port, running on a thread
// of its own from Start() until the object goes away.
class DemoServer {
public:
  static constexpr std::size_t kPieceSize = 32 * 1024;
  static constexpr std::size_t kThreads = 64;

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
