#pragma once

#include "listview/HeadlessGrid.h"
#include "scheduler/Engine.h"
#include "support/LocalServer.h"
#include "support/RecordingMessageBox.h"
#include "support/ScriptedPump.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <mutex>
#include <string>

namespace vidtrawl::testing {

// A whole engine over a headless grid whose every connection on port 80
// goes to one in-process server that serves the pages and files a test puts
// into `content` (path -> body; a missing path answers 404).
class EngineFixture : public ::testing::Test {
protected:
  void SetUp() override {
    server.server().Get(R"(/.*)", [this](const httplib::Request &req, httplib::Response &res) {
      std::lock_guard<std::mutex> lock(mutex);
      const auto it = content.find(req.path);
      if (it == content.end()) {
        res.status = 404;
        return;
      }
      res.set_content(it->second, "application/octet-stream");
    });
    server.Start();
    transfer::ConnectionMap map;
    map.Add(":80:127.0.0.1:" + std::to_string(server.port()));
    engine = std::make_unique<scheduler::Engine>(scheduler::EngineHosts{pump, messages, grid}, map,
                                                 dir.path() / "scratch");
    engine->binder.SetYieldInterval(std::chrono::nanoseconds::zero());
  }
  void Serve(const std::string &path, const std::string &body) {
    std::lock_guard<std::mutex> lock(mutex);
    content[path] = body;
  }
  list::DownloadItem &Item(std::size_t index) { return engine->items[index]; }

  TempDir dir;
  LocalServer server;
  std::mutex mutex;
  std::map<std::string, std::string> content;
  ScriptedPump pump;
  RecordingMessageBox messages;
  listview::HeadlessGrid grid;
  std::unique_ptr<scheduler::Engine> engine;
};

} // namespace vidtrawl::testing
