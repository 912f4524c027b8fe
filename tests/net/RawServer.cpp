#include "RawServer.h"

#include <arpa/inet.h>
#include <chrono>
#include <netinet/in.h>
#include <poll.h>
#include <stdexcept>
#include <sys/socket.h>
#include <unistd.h>

namespace vidtrawl::testing {

RawServer::RawServer(Script script) : script_(std::move(script)) {
  listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (listener_ < 0)
    throw std::runtime_error("socket failed");
  const int yes = 1;
  ::setsockopt(listener_, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = 0;
  if (::bind(listener_, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0 ||
      ::listen(listener_, 16) != 0)
    throw std::runtime_error("bind/listen failed");
  socklen_t length = sizeof address;
  ::getsockname(listener_, reinterpret_cast<sockaddr *>(&address), &length);
  port_ = ntohs(address.sin_port);
  thread_ = std::thread([this] { Serve(); });
}

RawServer::~RawServer() {
  stop_ = true;
  thread_.join();
  ::close(listener_);
}

std::string RawServer::url(const std::string &path) const {
  return "http://127.0.0.1:" + std::to_string(port_) + path;
}

std::vector<std::string> RawServer::Requests() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return requests_;
}

bool RawServer::WaitReadable(int fd, int millis) const {
  pollfd entry{fd, POLLIN, 0};
  return ::poll(&entry, 1, millis) > 0;
}

void RawServer::Serve() {
  while (!stop_) {
    if (!WaitReadable(listener_, 20))
      continue;
    const int client = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
    if (client < 0)
      continue;
    Answer(client);
    ::close(client);
  }
}

void RawServer::Answer(int client) {
  std::string request;
  while (!stop_ && request.find("\r\n\r\n") == std::string::npos) {
    if (!WaitReadable(client, 20))
      continue;
    char buffer[4096];
    const ssize_t got = ::recv(client, buffer, sizeof buffer, 0);
    if (got <= 0)
      return;
    request.append(buffer, static_cast<std::size_t>(got));
  }
  if (stop_)
    return;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    requests_.push_back(request);
  }
  const Reply reply = script_(request);
  std::size_t sent = 0;
  while (sent < reply.bytes.size()) {
    const ssize_t put =
        ::send(client, reply.bytes.data() + sent, reply.bytes.size() - sent, MSG_NOSIGNAL);
    if (put <= 0)
      return;
    sent += static_cast<std::size_t>(put);
  }
  while (reply.stall && !stop_) // keep the connection open and silent
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  ::shutdown(client, SHUT_WR);
}

std::string RawResponse(const std::string &statusLine, const std::string &headerLines,
                        const std::string &body) {
  return statusLine + "\r\n" + headerLines + "Connection: close\r\n\r\n" + body;
}

} // namespace vidtrawl::testing
