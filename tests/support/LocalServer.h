#pragma once

#include <httplib.h>

#include <chrono>
#include <stdexcept>
#include <string>
#include <thread>

namespace vidtrawl::testing {

// An in-process HTTP server on a free loopback port, running on its own
// thread from Start() to destruction. Register handlers on server() before
// calling Start().
class LocalServer {
public:
  LocalServer() = default;
  ~LocalServer() { Stop(); }
  LocalServer(const LocalServer &) = delete;
  LocalServer &operator=(const LocalServer &) = delete;

  httplib::Server &server() { return server_; }
  void Start() {
    port_ = server_.bind_to_any_port("127.0.0.1");
    if (port_ <= 0)
      throw std::runtime_error("could not bind a loopback port");
    thread_ = std::thread([this] { server_.listen_after_bind(); });
    while (!server_.is_running())
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  void Stop() {
    if (thread_.joinable()) {
      server_.stop();
      thread_.join();
    }
  }
  int port() const { return port_; }

private:
  httplib::Server server_;
  std::thread thread_;
  int port_ = 0;
};

} // namespace vidtrawl::testing
