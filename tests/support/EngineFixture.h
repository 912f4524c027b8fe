#pragma once

#include "host/Connectivity.h"
#include "host/HeadlessGrid.h"
#include "scheduler/EngineParts.h"
#include "support/LocalServer.h"
#include "support/RecordingMessageBox.h"
#include "support/RecordingMovie.h"
#include "support/ScriptedPump.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>

namespace vidtrawl::testing {

// A whole engine over a headless grid whose every connection on port 80
// goes to one in-process server that serves the pages and files a test puts
// into `content` (path -> body; a missing path answers 404).
class EngineFixture : public ::testing::Test {
protected:
  void SetUp() override {
    server.server().Get(R"(/.*)", [this](const httplib::Request &req, httplib::Response &res) {
      std::unique_lock<std::mutex> lock(mutex);
      const auto special = handlers.find(req.path);
      if (special != handlers.end()) {
        const auto handler = special->second;
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
      res.set_chunked_content_provider(
          "video/x-flv", [body](size_t offset, httplib::DataSink &sink) {
            if (offset < body.size())
              sink.write(body.data() + offset, std::min<size_t>(body.size() - offset, 4096));
            else
              sink.done();
            return true;
          });
    });
    server.Start();
    NewEngine();
  }
  // A fresh engine (an empty list, its own download folder) on the same server.
  void NewEngine() {
    engine.reset();
    net::ConnectionMap map;
    map.Add(":80:127.0.0.1:" + std::to_string(server.port()));
    engine = std::make_unique<scheduler::EngineParts>(
        scheduler::EngineHosts{pump, messages, grid, movie, connectivity}, map,
        scheduler::EnginePaths{dir.path() / "registry.ini", dir.path() / "scratch"});
    engine->binder.SetYieldInterval(std::chrono::nanoseconds::zero());
    engine->settings.sDownloadDir = (dir.path() / ("videos" + std::to_string(++engines))).string();
  }
  // Answers with a chunked body: no size announced.
  void ServeUnsized(const std::string &path, const std::string &body) {
    std::lock_guard<std::mutex> lock(mutex);
    content[path] = body;
    unsized.insert(path);
  }
  void Serve(const std::string &path, const std::string &body) {
    std::lock_guard<std::mutex> lock(mutex);
    content[path] = body;
  }
  const list::DownloadItem &Item(std::size_t index) { return engine->items[index]; }

  TempDir dir;
  LocalServer server;
  std::mutex mutex;
  std::map<std::string, std::string> content;
  std::set<std::string> unsized;
  std::map<std::string, std::function<void(const httplib::Request &, httplib::Response &)>>
      handlers;
  ScriptedPump pump;
  RecordingMessageBox messages;
  RecordingMovie movie;
  struct FixedConnectivity final : host::Connectivity {
    bool IsConnected() override { return online; }
    bool online = true;
  } connectivity;
  host::HeadlessGrid grid;
  std::unique_ptr<scheduler::EngineParts> engine;
  int engines = 0;
};

} // namespace vidtrawl::testing
