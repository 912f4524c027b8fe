#pragma once

#include <httplib.h>

#include <memory>
#include <string>
#include <thread>

namespace vidtrawl::testing {

// An in-process HTTP server on a free loopback port, running on its own
// thread from construction to destruction. Register handlers on server()
// before calling Start().
class LocalServer {
public:
  LocalServer();
  ~LocalServer();
  LocalServer(const LocalServer &) = delete;
  LocalServer &operator=(const LocalServer &) = delete;

  httplib::Server &server() { return server_; }
  void Start();
  void Stop();

  int port() const { return port_; }
  // "http://127.0.0.1:PORT"
  std::string base() const;
  // base() + path
  std::string url(const std::string &path) const { return base() + path; }

private:
  httplib::Server server_;
  std::thread thread_;
  int port_ = 0;
};

} // namespace vidtrawl::testing
