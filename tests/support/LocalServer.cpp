#include "support/LocalServer.h"

#include <chrono>
#include <stdexcept>

namespace vidtrawl::testing {

LocalServer::LocalServer() = default;

LocalServer::~LocalServer() {
  Stop();
}

void LocalServer::Start() {
  port_ = server_.bind_to_any_port("127.0.0.1");
  if (port_ <= 0)
    throw std::runtime_error("could not bind a loopback port");
  thread_ = std::thread([this] { server_.listen_after_bind(); });
  while (!server_.is_running())
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

void LocalServer::Stop() {
  if (thread_.joinable()) {
    server_.stop();
    thread_.join();
  }
}

std::string LocalServer::base() const {
  return "http://127.0.0.1:" + std::to_string(port_);
}

} // namespace vidtrawl::testing
