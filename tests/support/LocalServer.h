#pragma once

#include <httplib.h>

#include <chrono>
#include <functional>
#include <map>
#include <mutex>
#include <set>
#include <stdexcept>
#include <string>
#include <thread>

namespace vidtrawl::testing {

// An in-process HTTP server on a free loopback port, running on its own
// thread from Start() to destruction. Register handlers on server() before
// calling Start().
class LocalServer {
public:
  LocalServer() = default;
  ~LocalServer() { Stop(); }
  LocalServer(const LocalServer &) = delete;
  LocalServer &operator=(const LocalServer &) = delete;

  httplib::Server &server() { return server_; }
  void Start() {
    port_ = server_.bind_to_any_port("127.0.0.1");
    if (port_ <= 0)
      throw std::runtime_error("could not bind a loopback port");
    thread_ = std::thread([this] { server_.listen_after_bind(); });
    while (!server_.is_running())
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  void Stop() {
    if (thread_.joinable()) {
      server_.stop();
      thread_.join();
    }
  }
  int port() const { return port_; }
  // "http://127.0.0.1:PORT"
  std::string base() const { return "http://127.0.0.1:" + std::to_string(port_); }
  std::string url(const std::string &path) const { return base() + path; }

private:
  httplib::Server server_;
  std::thread thread_;
  int port_ = 0;
};

// A started LocalServer that serves what a test puts into it: a body per
// path (404 for any other), sent with its size or in chunks without one,
// or whatever a handler of `handlers` answers for its path.
class ContentServer {
public:
  using Handler = std::function<void(const httplib::Request &, httplib::Response &)>;

  ContentServer() {
    server.server().Get(R"(/.*)",
                        [this](const httplib::Request &request, httplib::Response &response) {
                          Answer(request, response);
                        });
    server.Start();
  }
  void Serve(const std::string &path, const std::string &body, bool sized = true) {
    std::lock_guard<std::mutex> lock(mutex);
    content[path] = body;
    if (!sized)
      unsized.insert(path);
  }

  LocalServer server;
  std::mutex mutex;
  std::map<std::string, std::string> content;
  std::set<std::string> unsized;
  std::map<std::string, Handler> handlers;

private:
  void Answer(const httplib::Request &request, httplib::Response &response) {
    std::unique_lock<std::mutex> lock(mutex);
    if (const auto special = handlers.find(request.path); special != handlers.end()) {
      const Handler handler = special->second;
      lock.unlock();
      return handler(request, response);
    }
    const auto found = content.find(request.path);
    if (found == content.end()) {
      response.status = 404;
    } else if (unsized.count(request.path) == 0) {
      response.set_content(found->second, "application/octet-stream");
    } else {
      response.set_chunked_content_provider(
          "video/x-flv", [body = found->second](std::size_t offset, httplib::DataSink &sink) {
            if (offset < body.size())
              sink.write(body.data() + offset, std::min<std::size_t>(body.size() - offset, 4096));
            else
              sink.done();
            return true;
          });
    }
  }
};

} // namespace vidtrawl::testing
