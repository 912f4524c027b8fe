#pragma once

#include "engine/Engine.h"
#include "engine/PollLoop.h"
#include "support/RawServer.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace vidtrawl::testing {

// A PutFile page at /page/NAME leading to /files/NAME.flv, whose `body` is
// sent with its size or without; the page's address.
inline std::string ServeVideo(ContentServer &server, const std::string &name,
                              const std::string &body, bool sized = true) {
  server.Serve("/page/" + name,
               "<param value=\"http://media.putfile.com/files/" + name + ".flv\">");
  server.Serve("/files/" + name + ".flv", body, sized);
  return "http://www.putfile.com/page/" + name;
}

// A whole engine whose every connection on port 80 goes to one in-process
// server that serves what the test puts there, on a loop the test turns.
class EngineFixture : public ::testing::Test, public ContentServer, public engine::PassObserver {
protected:
  void SetUp() override { NewEngine(); }
  void TearDown() override { engine.reset(); }
  // A fresh engine (an empty list, its own download folder) on the same
  // server (unless `mapped` is false), downloading `jobs` items at once.
  void NewEngine(int jobs = 3, bool mapped = true) {
    engine.reset();
    std::vector<std::string> map;
    if (mapped)
      map.push_back(":80:127.0.0.1:" + std::to_string(server.port()));
    engine = std::make_unique<engine::Engine>(engine::Hosts{loop},
                                              engine::Options{map, dir / "registry.ini"});
    Configure([&](engine::Config &config) {
      config.downloadDir = (dir.path() / ("videos" + std::to_string(++engines))).string();
      config.simultaneousDownloads = jobs;
      config.retries = 0;           // a failure is one unless a test tries again
      config.extractor = extractor; // the system's could not reach the mapped hosts
    });
    engine->Subscribe(this);
  }
  void PassEnded(const engine::PassSummary &summary) override { ended = summary; }
  // Changes the engine's configuration as `change` says; whether it was taken whole.
  bool Configure(const std::function<void(engine::Config &)> &change) {
    engine::Config config = engine->Settings();
    change(config);
    return engine->Configure(std::move(config));
  }
  // Turns the loop until `done` says so; false after a minute.
  bool RunUntil(const std::function<bool()> &done) {
    return loop.RunUntil(done, std::chrono::seconds(60));
  }
  // A whole pass: how it ended.
  engine::PassSummary RunPass() {
    ended.reset();
    engine->StartPass();
    RunUntil([&] { return ended.has_value(); });
    return ended.value_or(engine::PassSummary{-1, -1});
  }
  std::filesystem::path Saved(const std::string &name) const {
    return std::filesystem::path(engine->DownloadDir()) / name;
  }
  engine::ItemView Item(std::size_t index) const { return engine->ItemAt(index); }
  // The items as "ADDRESS-END NAME STATUS SIZE" joined by commas (ADDRESS-END the last part of
  // its address text).
  std::string Items() const {
    std::string text;
    for (const engine::ItemView &item : engine->Items()) {
      const std::string address = engine::AddressText(item);
      text += (text.empty() ? "" : ",") + address.substr(address.rfind('/') + 1) + " " +
              engine::FileNameText(item) + " " + engine::StatusText(item) + " " +
              engine::SizeText(item);
    }
    return text;
  }
  void AddVideo(const std::string &name, const std::string &body, bool sized = true) {
    engine->Add({ServeVideo(*this, name, body, sized)});
  }

  TempDir dir;
  engine::PollLoop loop;
  std::unique_ptr<engine::Engine> engine;
  std::optional<engine::PassSummary> ended;
  int engines = 0;
  std::string extractor = engine::Config::kNoExtractor;
};

} // namespace vidtrawl::testing
