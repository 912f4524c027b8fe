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
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  if (fd < 0 || ::bind(fd, reinterpret_cast<sockaddr *>(&address), length) != 0 ||
      ::getsockname(fd, reinterpret_cast<sockaddr *>(&address), &length) != 0)
    throw std::runtime_error("no loopback port");
  port = ntohs(address.sin_port);
  return fd;
}

bool Readable(int fd) {
  pollfd entry{fd, POLLIN, 0};
  return ::poll(&entry, 1, 20) > 0;
}

bool SendAll(int fd, const std::string &bytes) {
  for (std::size_t sent = 0; sent < bytes.size();) {
    const ssize_t put = ::send(fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
    if (put <= 0)
      return false;
    sent += static_cast<std::size_t>(put);
  }
  return true;
}

} // namespace

RawServer::RawServer(Script script) : script_(std::move(script)) {
  listener_ = BoundLoopbackSocket(port_);
  if (::listen(listener_, 16) != 0)
    throw std::runtime_error("listen failed");
  thread_ = std::thread([this] { Serve(); });
}

RawServer::~RawServer() {
  stop_ = true;
  thread_.join();
  for (std::thread &client : clients_)
    client.join();
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

void RawServer::Serve() {
  while (!stop_) {
    if (!Readable(listener_))
      continue;
    const int client = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
    if (client >= 0)
      clients_.emplace_back([this, client] {
        Answer(client);
        ::close(client);
      });
  }
}

void RawServer::Answer(int client) {
  for (bool again = true; again && !stop_;)
    again = AnswerOne(client);
  ::shutdown(client, SHUT_WR);
}

bool RawServer::AnswerOne(int client) {
  std::string request;
  char buffer[4096];
  while (!stop_ && request.find("\r\n\r\n") == std::string::npos) {
    if (!Readable(client))
      continue;
    const ssize_t got = ::recv(client, buffer, sizeof buffer, 0);
    if (got <= 0)
      break;
    request.append(buffer, static_cast<std::size_t>(got));
  }
  if (stop_ || request.empty())
    return false;
  Reply reply;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    requests_.push_back(request);
    reply = script_ ? Reply{} : reply_;
  }
  if (script_)
    reply = script_(request);
  if (reply.gate && reply.heldAt < reply.bytes.size()) {
    SendAll(client, reply.bytes.substr(0, reply.heldAt));
    while (!reply.gate->open && !stop_)
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    reply.bytes.erase(0, reply.heldAt);
  }
  if (reply.linePause.count() == 0)
    SendAll(client, reply.bytes);
  for (std::size_t at = 0; reply.linePause.count() > 0 && at < reply.bytes.size() && !stop_;) {
    const std::size_t end = std::min(reply.bytes.find('\n', at), reply.bytes.size() - 1) + 1;
    if (!SendAll(client, reply.bytes.substr(at, end - at)))
      break;
    at = end;
    std::this_thread::sleep_for(reply.linePause);
  }
  // Silent until the client's end is closed.
  while (reply.stall && !stop_)
    if (Readable(client) && ::recv(client, buffer, sizeof buffer, 0) <= 0)
      break;
  return reply.again;
}

} // namespace vidtrawl::testing
