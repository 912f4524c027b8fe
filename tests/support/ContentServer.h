#pragma once

#include "support/LocalServer.h"

#include <functional>
#include <map>
#include <mutex>
#include <set>
#include <string>

namespace vidtrawl::testing {

// An in-process web server that serves the pages and files a test puts
// into `content` (path -> body; a missing path answers 404), a body without
// a length for paths served unsized, and whatever a handler of `handlers`
// answers for its path.
class ContentServer {
public:
  using Handler = std::function<void(const httplib::Request &, httplib::Response &)>;

  ContentServer() {
    server.server().Get(R"(/.*)", [this](const httplib::Request &req, httplib::Response &res) {
      Answer(req, res);
    });
    server.Start();
  }

  void Serve(const std::string &path, const std::string &body) {
    std::lock_guard<std::mutex> lock(mutex);
    content[path] = body;
  }
  // Answers with a chunked body: no size announced.
  void ServeUnsized(const std::string &path, const std::string &body) {
    std::lock_guard<std::mutex> lock(mutex);
    content[path] = body;
    unsized.insert(path);
  }

  LocalServer server;
  std::mutex mutex;
  std::map<std::string, std::string> content;
  std::set<std::string> unsized;
  std::map<std::string, Handler> handlers;

private:
  void Answer(const httplib::Request &req, httplib::Response &res) {
    std::unique_lock<std::mutex> lock(mutex);
    if (const auto special = handlers.find(req.path); special != handlers.end()) {
      const Handler handler = special->second;
      lock.unlock();
      handler(req, res);
      return;
    }
    const auto it = content.find(req.path);
    if (it == content.end()) {
      res.status = 404;
      return;
    }
    if (unsized.count(req.path) == 0) {
      res.set_content(it->second, "application/octet-stream");
      return;
    }
    const std::string body = it->second;
    res.set_chunked_content_provider("video/x-flv", [body](size_t offset, httplib::DataSink &sink) {
      if (offset < body.size())
        sink.write(body.data() + offset, std::min<size_t>(body.size() - offset, 4096));
      else
        sink.done();
      return true;
    });
  }
};

} // namespace vidtrawl::testing
