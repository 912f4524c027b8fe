#pragma once

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace vidtrawl::testing {

// A loopback TCP server that answers each connection with scripted bytes,
// for responses an HTTP library would not send: odd header blocks, bodies
// cut short, servers that stall. Connections are served one at a time.
class RawServer {
public:
  struct Reply {
    std::string bytes;  // sent as they are
    bool stall = false; // then keep the connection open, silent, until the server stops
  };
  // Called with the request head (up to and including the blank line).
  using Script = std::function<Reply(const std::string &request)>;

  explicit RawServer(Script script);
  ~RawServer();
  RawServer(const RawServer &) = delete;
  RawServer &operator=(const RawServer &) = delete;

  int port() const { return port_; }
  std::string url(const std::string &path) const;
  std::vector<std::string> Requests() const;

private:
  void Serve();
  void Answer(int client);
  bool WaitReadable(int fd, int millis) const;

  Script script_;
  int listener_ = -1;
  int port_ = 0;
  std::atomic<bool> stop_{false};
  mutable std::mutex mutex_;
  std::vector<std::string> requests_;
  std::thread thread_;
};

// A complete response: status line, the given header lines, Connection:
// close, then the body.
std::string RawResponse(const std::string &statusLine, const std::string &headerLines,
                        const std::string &body = "");

} // namespace vidtrawl::testing
