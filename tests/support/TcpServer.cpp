#include "support/TcpServer.h"

#include <cerrno>
#include <stdexcept>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace vidtrawl::testing {
namespace {

constexpr int kPollMs = 10;

int BoundLoopbackSocket(int &port) {
  const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0)
    throw std::runtime_error("socket failed");
  const int on = 1;
  ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = 0;
  socklen_t length = sizeof address;
  if (::bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0 ||
      ::getsockname(fd, reinterpret_cast<sockaddr *>(&address), &length) != 0) {
    ::close(fd);
    throw std::runtime_error("bind failed");
  }
  port = ntohs(address.sin_port);
  return fd;
}

// Waits for fd to become readable; false when the server is stopping.
bool WaitReadable(int fd, const std::atomic<bool> &stop) {
  while (!stop) {
    pollfd entry{fd, POLLIN, 0};
    const int ready = ::poll(&entry, 1, kPollMs);
    if (ready > 0)
      return true;
    if (ready < 0 && errno != EINTR)
      return false;
  }
  return false;
}

void SendAll(int fd, const std::string &data) {
  std::size_t done = 0;
  while (done < data.size()) {
    const ssize_t sent = ::send(fd, data.data() + done, data.size() - done, MSG_NOSIGNAL);
    if (sent <= 0)
      return;
    done += static_cast<std::size_t>(sent);
  }
}

// Waits until the client has closed its end (or the server stops).
void WaitForClientClose(int fd, const std::atomic<bool> &stop) {
  char buffer[1024];
  while (WaitReadable(fd, stop)) {
    const ssize_t got = ::recv(fd, buffer, sizeof buffer, 0);
    if (got <= 0)
      return;
  }
}

} // namespace

TcpServer::TcpServer() = default;

TcpServer::~TcpServer() {
  stop_ = true;
  if (thread_.joinable())
    thread_.join();
  if (listenFd_ >= 0)
    ::close(listenFd_);
}

void TcpServer::Reply(std::string first, std::string later) {
  act_ = Act::Reply;
  reply_ = std::move(first);
  later_ = std::move(later);
}

void TcpServer::Start() {
  listenFd_ = BoundLoopbackSocket(port_);
  if (::listen(listenFd_, 8) != 0)
    throw std::runtime_error("listen failed");
  thread_ = std::thread([this] { Serve(); });
}

int TcpServer::UnusedPort() {
  int port = 0;
  ::close(BoundLoopbackSocket(port));
  return port;
}

std::vector<std::string> TcpServer::Requests() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return requests_;
}

void TcpServer::Serve() {
  while (WaitReadable(listenFd_, stop_)) {
    const int fd = ::accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
    if (fd < 0)
      continue;
    Handle(fd);
    ::close(fd);
  }
}

void TcpServer::Handle(int fd) {
  std::string request;
  char buffer[4096];
  while (request.find("\r\n\r\n") == std::string::npos && WaitReadable(fd, stop_)) {
    const ssize_t got = ::recv(fd, buffer, sizeof buffer, 0);
    if (got <= 0)
      break;
    request.append(buffer, static_cast<std::size_t>(got));
  }
  {
    std::lock_guard<std::mutex> lock(mutex_);
    requests_.push_back(request);
  }
  switch (act_) {
  case Act::Close:
    return;
  case Act::Silent:
    WaitForClientClose(fd, stop_);
    return;
  case Act::Reply:
    SendAll(fd, reply_);
    if (!later_.empty()) {
      WaitForClientClose(fd, stop_);
      SendAll(fd, later_);
    }
    return;
  }
}

} // namespace vidtrawl::testing
