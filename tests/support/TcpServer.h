#pragma once

#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace vidtrawl::testing {

// A raw TCP server on a free loopback port, serving on its own thread from
// Start() to destruction. It takes one connection at a time, reads the
// request up to its empty line, records it and then acts on its script.
class TcpServer {
public:
  enum class Act {
    Reply,  // sends the reply, waits for the client to close, then sends later (if any)
    Close,  // closes without sending anything
    Silent, // sends nothing and keeps the connection until the client closes it
  };

  TcpServer();
  ~TcpServer();
  TcpServer(const TcpServer &) = delete;
  TcpServer &operator=(const TcpServer &) = delete;

  // Set the script before Start().
  void Reply(std::string first, std::string later = {});
  void CloseAtOnce() { act_ = Act::Close; }
  void StaySilent() { act_ = Act::Silent; }

  void Start();
  int port() const { return port_; }

  std::vector<std::string> Requests() const;
  // A loopback port nobody listens on (bound, then released).
  static int UnusedPort();

private:
  void Serve();
  void Handle(int fd);

  Act act_ = Act::Reply;
  std::string reply_;
  std::string later_;
  int listenFd_ = -1;
  int port_ = 0;
  std::atomic<bool> stop_{false};
  std::thread thread_;
  mutable std::mutex mutex_;
  std::vector<std::string> requests_;
};

} // namespace vidtrawl::testing
