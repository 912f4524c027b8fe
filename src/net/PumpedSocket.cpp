#include "net/PumpedSocket.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>
#include <utility>

#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/types.h>
#include <unistd.h>

namespace vidtrawl::net {
namespace {

constexpr std::chrono::milliseconds kPollSlice{20};
constexpr std::size_t kMaxFirstPart = 64 * 1024; // the most of an answer's head that is read

struct AddrInfoFree {
  void operator()(addrinfo *info) const { freeaddrinfo(info); }
};

} // namespace

PumpedSocket::PumpedSocket(host::Pump &pump, Clock::time_point deadline,
                           std::function<bool()> stopRequested)
    : pump_(pump), deadline_(deadline), stopRequested_(std::move(stopRequested)) {}

bool PumpedSocket::PumpAndCheck() {
  pump_.Yield();
  if (stopRequested_ && stopRequested_())
    stopped_ = true;
  return stopped_;
}

PumpedSocket::~PumpedSocket() {
  Close();
}

void PumpedSocket::Close() {
  if (fd_ >= 0) {
    ::close(fd_);
    fd_ = -1;
  }
}

bool PumpedSocket::Fail(const std::string &description) {
  error_ = description;
  Close();
  return false;
}

bool PumpedSocket::WaitFor(short events) {
  for (;;) {
    const auto now = Clock::now();
    if (now >= deadline_)
      return Fail("Connection timed out");
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline_ - now);
    pollfd entry{fd_, events, 0};
    const int ready = ::poll(&entry, 1, static_cast<int>(std::min(left, kPollSlice).count()));
    if (ready > 0)
      return true;
    if (ready < 0 && errno != EINTR)
      return Fail(std::strerror(errno));
    if (PumpAndCheck())
      return Fail("Stopped");
  }
}

// A host name lookup can take long (a slow or dead name server): it runs on
// a thread of its own while the host's pump keeps turning, and the wait ends
// at the deadline. A lookup still running then finishes unseen.
bool PumpedSocket::Lookup(const std::string &host, int port, addrinfo *&found) {
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  hints.ai_flags = AI_NUMERICSERV | AI_NUMERICHOST;
  const std::string service = std::to_string(port);
  if (::getaddrinfo(host.c_str(), service.c_str(), &hints, &found) == 0)
    return true; // an address literal: nothing to look up

  struct Pending {
    std::mutex mutex;
    bool done = false;
    int rc = 0;
    int error = 0;
    addrinfo *result = nullptr;
    ~Pending() {
      if (result != nullptr)
        ::freeaddrinfo(result);
    }
  };
  // Lookups left behind by earlier time-outs still run; a dead name server
  // must not make them pile up.
  static std::atomic<int> running{0};
  constexpr int kMaxRunning = 4;
  if (running.load() >= kMaxRunning)
    return Fail("Connection timed out");
  auto pending = std::make_shared<Pending>();
  hints.ai_flags = AI_NUMERICSERV;
  try {
    ++running;
    std::thread([pending, host, service, hints] {
      addrinfo *result = nullptr;
      const int rc = ::getaddrinfo(host.c_str(), service.c_str(), &hints, &result);
      const int error = errno;
      {
        const std::lock_guard<std::mutex> lock(pending->mutex);
        pending->rc = rc;
        pending->error = error;
        pending->result = result;
        pending->done = true;
      }
      --running;
    }).detach();
  } catch (const std::system_error &failure) {
    --running;
    return Fail(failure.what());
  }

  for (;;) {
    {
      const std::lock_guard<std::mutex> lock(pending->mutex);
      if (pending->done) {
        if (pending->rc != 0)
          return Fail(pending->rc == EAI_SYSTEM ? std::strerror(pending->error)
                                                : ::gai_strerror(pending->rc));
        found = std::exchange(pending->result, nullptr);
        return true;
      }
    }
    const auto now = Clock::now();
    if (now >= deadline_)
      return Fail("Connection timed out");
    if (PumpAndCheck())
      return Fail("Stopped");
    std::this_thread::sleep_for(
        std::min<Clock::duration>(std::chrono::milliseconds(5), deadline_ - now));
  }
}

bool PumpedSocket::Connect(const std::string &host, int port) {
  Close();
  addrinfo *found = nullptr;
  if (!Lookup(host, port, found))
    return false;
  const std::unique_ptr<addrinfo, AddrInfoFree> addresses(found);
  error_ = "Connection refused";
  for (const addrinfo *a = addresses.get(); a != nullptr; a = a->ai_next) {
    fd_ = ::socket(a->ai_family, a->ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC, a->ai_protocol);
    if (fd_ < 0) {
      error_ = std::strerror(errno);
      continue;
    }
    if (::connect(fd_, a->ai_addr, a->ai_addrlen) == 0)
      return true;
    if (errno != EINPROGRESS) {
      Fail(std::strerror(errno));
      continue;
    }
    if (!WaitFor(POLLOUT))
      return false; // the deadline or poll itself failed: no point in the next address
    int soError = 0;
    socklen_t length = sizeof soError;
    if (::getsockopt(fd_, SOL_SOCKET, SO_ERROR, &soError, &length) != 0)
      soError = errno;
    if (soError == 0)
      return true;
    Fail(std::strerror(soError));
  }
  return false;
}

bool PumpedSocket::Send(std::string_view data) {
  while (!data.empty()) {
    if (fd_ < 0)
      return Fail("Socket is not connected");
    const ssize_t sent = ::send(fd_, data.data(), data.size(), MSG_NOSIGNAL);
    if (sent >= 0) {
      data.remove_prefix(static_cast<std::size_t>(sent));
      continue;
    }
    if (errno == EINTR)
      continue;
    if (errno != EAGAIN && errno != EWOULDBLOCK)
      return Fail(std::strerror(errno));
    if (!WaitFor(POLLOUT))
      return false;
  }
  return true;
}

bool PumpedSocket::ReceiveHead(std::string &out) {
  out.clear();
  char buffer[16384];
  for (;;) {
    if (fd_ < 0)
      return Fail("Socket is not connected");
    const ssize_t got = ::recv(fd_, buffer, sizeof buffer, 0);
    if (got > 0) {
      const std::size_t before = out.size();
      out.append(buffer, static_cast<std::size_t>(got));
      // The head may come in pieces, however far apart: only its end (or
      // the cap) ends the reading.
      if (out.size() >= kMaxFirstPart ||
          out.find("\r\n\r\n", before < 3 ? 0 : before - 3) != std::string::npos)
        return true;
      continue;
    }
    if (got == 0) // the peer has closed
      return out.empty() ? Fail("Connection closed by the host") : true;
    if (errno == EINTR)
      continue;
    if (errno != EAGAIN && errno != EWOULDBLOCK)
      return out.empty() ? Fail(std::strerror(errno)) : true;
    if (!WaitFor(POLLIN))
      return false;
  }
}

} // namespace vidtrawl::net
