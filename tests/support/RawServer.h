#pragma once

#include <atomic>
#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace vidtrawl::testing {

// A loopback TCP server that answers each connection with scripted bytes,
// for answers an HTTP library would not send: odd header blocks, bodies cut
// short, servers that stall or close. It reads each request up to its blank
// line, records it and answers; each connection on a thread of its own, so
// that one that stalls holds no other up.
class RawServer {
public:
  // Where a reply waits, after some of its bytes, until the test opens it.
  struct Gate {
    std::atomic<bool> open{false};
  };
  struct Reply {
    Reply(std::string sent = {}, bool silent = false, std::chrono::milliseconds perLine = {})
        : bytes(std::move(sent)), stall(silent), linePause(perLine) {}
    std::string bytes; // sent as they are (nothing: the connection is closed at once)
    bool stall;        // then stay silent until the client closes or the server stops
    std::chrono::milliseconds linePause; // a pause after each line of `bytes`
    std::shared_ptr<Gate> gate;          // the rest of `bytes` waits for it after `heldAt` bytes
    std::size_t heldAt = 0;
    bool again = false; // then the next request on the connection is read and answered (a tunnel)
  };
  // Called with the request head (up to and including the blank line).
  using Script = std::function<Reply(const std::string &request)>;

  // Answers every request with the reply last given to SetReply.
  RawServer() : RawServer(Script{}) {}
  explicit RawServer(Script script);
  ~RawServer();
  RawServer(const RawServer &) = delete;
  RawServer &operator=(const RawServer &) = delete;

  void SetReply(Reply reply);
  int port() const { return port_; }
  std::string url(const std::string &path) const;
  std::vector<std::string> Requests() const;
  // A loopback port nobody listens on (bound, then released).
  static int UnusedPort();

private:
  void Serve();
  void Answer(int client);
  // One request and its answer; whether another follows on the connection.
  bool AnswerOne(int client);

  Script script_;
  Reply reply_;
  int listener_ = -1;
  int port_ = 0;
  std::atomic<bool> stop_{false};
  mutable std::mutex mutex_;
  std::vector<std::string> requests_;
  std::vector<std::thread> clients_;
  std::thread thread_;
};

// A complete response: status line, the given header lines, Connection: close, then the body.
inline std::string RawResponse(const std::string &statusLine, const std::string &headerLines,
                               const std::string &body = "") {
  return statusLine + "\r\n" + headerLines + "Connection: close\r\n\r\n" + body;
}

// Serves what a test puts into it: a body per path (of a type, if given), sent with its length or
// until the connection closes, or what a script gives for its path (`head`: a HEAD request); 404
// for any other path. A query is no part of the path. Asked as a proxy (an absolute address), it
// answers as the server of that address.
class ContentServer {
public:
  using Script = std::function<RawServer::Reply(bool head)>;
  void Serve(const std::string &path, const std::string &body, bool sized = true,
             const std::string &type = "") {
    Serve(path, [body, sized, type](bool head) {
      const std::string length = "Content-Length: " + std::to_string(body.size()) + "\r\n";
      return RawServer::Reply{RawResponse(
          "HTTP/1.1 200 OK",
          (sized ? length : "") + (type.empty() ? "" : "Content-Type: " + type + "\r\n"),
          head ? "" : body)};
    });
  }
  // A file as a real server serves it (its ETag "held"; Range with If-Range honoured), whose
  // whole answers wait after `at` bytes until the gate that is returned opens.
  std::shared_ptr<RawServer::Gate> ServeHeld(const std::string &path, const std::string &body,
                                             std::size_t at) {
    auto gate = std::make_shared<RawServer::Gate>();
    std::lock_guard<std::mutex> lock(mutex_);
    scripts_[path] = [body, at, gate](const std::string &request) {
      const std::size_t range = request.find("\r\nRange: bytes=");
      const std::string headers = "ETag: \"held\"\r\n";
      if (range != std::string::npos &&
          request.find("\r\nIf-Range: \"held\"\r\n") != std::string::npos) {
        const std::size_t from = std::stoul(request.substr(range + 15));
        return RawServer::Reply{
            RawResponse("HTTP/1.1 206 Partial Content",
                        headers + "Content-Range: bytes " + std::to_string(from) + "-" +
                            std::to_string(body.size() - 1) + "/" + std::to_string(body.size()) +
                            "\r\nContent-Length: " + std::to_string(body.size() - from) + "\r\n",
                        body.substr(from))};
      }
      const bool head = request.rfind("HEAD ", 0) == 0;
      RawServer::Reply reply{RawResponse(
          "HTTP/1.1 200 OK", headers + "Content-Length: " + std::to_string(body.size()) + "\r\n",
          head ? "" : body)};
      if (!head) {
        reply.gate = gate;
        reply.heldAt = reply.bytes.size() - body.size() + at;
      }
      return reply;
    };
    return gate;
  }
  // What a script gives for the whole request (its head), for answers that depend on it.
  void ServeRequests(const std::string &path,
                     std::function<RawServer::Reply(const std::string &request)> script) {
    std::lock_guard<std::mutex> lock(mutex_);
    scripts_[path] = std::move(script);
  }
  void Serve(const std::string &path, Script script) {
    std::lock_guard<std::mutex> lock(mutex_);
    scripts_[path] = [script](const std::string &request) {
      return script(request.rfind("HEAD ", 0) == 0);
    };
  }

private:
  RawServer::Reply Answer(const std::string &request) {
    std::size_t start = request.find(' ') + 1;
    // Asked as a proxy is: the absolute address's path.
    if (request.compare(start, 7, "http://") == 0)
      start = request.find('/', start + 7);
    std::function<RawServer::Reply(const std::string &)> script;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      const auto found =
          scripts_.find(request.substr(start, request.find_first_of(" ?", start) - start));
      if (found == scripts_.end())
        return {RawResponse("HTTP/1.1 404 Not Found", "Content-Length: 0\r\n")};
      script = found->second;
    }
    return script(request);
  }

  std::mutex mutex_;
  std::map<std::string, std::function<RawServer::Reply(const std::string &)>> scripts_;

public:
  RawServer server{[this](const std::string &request) { return Answer(request); }};
};

} // namespace vidtrawl::testing
