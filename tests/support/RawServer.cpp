#include "support/RawServer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <stdexcept>
#include <sys/socket.h>
#include <unistd.h>

namespace vidtrawl::testing {
namespace {

// A socket bound to a free loopback port; its port in `port`.
int BoundLoopbackSocket(int &port) {
  const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0)
    throw std::runtime_error("socket failed");
  const int yes = 1;
  ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (::bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0) {
    ::close(fd);
    throw std::runtime_error("bind failed");
  }
  socklen_t length = sizeof address;
  ::getsockname(fd, reinterpret_cast<sockaddr *>(&address), &length);
  port = ntohs(address.sin_port);
  return fd;
}

void SendAll(int fd, const std::string &bytes) {
  std::size_t sent = 0;
  while (sent < bytes.size()) {
    const ssize_t put = ::send(fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
    if (put <= 0)
      return;
    sent += static_cast<std::size_t>(put);
  }
}

} // namespace

RawServer::RawServer() : RawServer(Script{}) {}

RawServer::RawServer(Script script) : script_(std::move(script)) {
  listener_ = BoundLoopbackSocket(port_);
  if (::listen(listener_, 16) != 0)
    throw std::runtime_error("listen failed");
  thread_ = std::thread([this] { Serve(); });
}

RawServer::~RawServer() {
  stop_ = true;
  thread_.join();
  ::close(listener_);
}

void RawServer::SetReply(Reply reply) {
  std::lock_guard<std::mutex> lock(mutex_);
  reply_ = std::move(reply);
}

int RawServer::UnusedPort() {
  int port = 0;
  ::close(BoundLoopbackSocket(port));
  return port;
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

// Until the client has closed its end (or the server stops).
void RawServer::WaitForClose(int client) const {
  while (!stop_) {
    if (!WaitReadable(client, 20))
      continue;
    char buffer[1024];
    if (::recv(client, buffer, sizeof buffer, 0) <= 0)
      return;
  }
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
      break;
    request.append(buffer, static_cast<std::size_t>(got));
  }
  if (stop_)
    return;
  Reply reply;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    requests_.push_back(request);
    if (!script_)
      reply = reply_;
  }
  if (script_)
    reply = script_(request);
  SendAll(client, reply.bytes);
  if (reply.stall || !reply.later.empty())
    WaitForClose(client);
  SendAll(client, reply.later);
  ::shutdown(client, SHUT_WR);
}

std::string RawResponse(const std::string &statusLine, const std::string &headerLines,
                        const std::string &body) {
  return statusLine + "\r\n" + headerLines + "Connection: close\r\n\r\n" + body;
}

} // namespace vidtrawl::testing
