#pragma once

#include "host/Connectivity.h"
#include "host/HeadlessGrid.h"
#include "list/StatusKind.h"
#include "scheduler/EngineParts.h"
#include "support/RawServer.h"
#include "support/RecordingMessageBox.h"
#include "support/RecordingMovie.h"
#include "support/ScriptedPump.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace vidtrawl::testing {

// Whether the machine is online, as a test says.
struct FixedConnectivity final : host::Connectivity {
  bool IsConnected() override { return online; }
  bool online = true;
};

// A PutFile page at /page/NAME leading to /files/NAME.flv, whose `body` is
// sent with its size or without; the page's address.
inline std::string ServeVideo(ContentServer &server, const std::string &name,
                              const std::string &body, bool sized = true) {
  server.Serve("/page/" + name,
               "<param value=\"http://media.putfile.com/files/" + name + ".flv\">");
  server.Serve("/files/" + name + ".flv", body, sized);
  return "http://www.putfile.com/page/" + name;
}

// Whether the status says that the item's video is being received.
inline bool Receiving(const std::string &status) {
  return list::ClassifyStatus(status).kind == list::StatusKind::Progress;
}

// The hosts an engine runs on in the tests, and the folder of its files.
struct EngineHostsForTests {
  TempDir dir;
  ScriptedPump pump;
  RecordingMessageBox messages;
  RecordingMovie movie;
  FixedConnectivity connectivity;
  host::HeadlessGrid grid;
};

// A whole engine over a headless grid whose every connection on port 80
// goes to one in-process server that serves what the test puts there.
class EngineFixture : public ::testing::Test, public ContentServer, public EngineHostsForTests {
protected:
  void SetUp() override { NewEngine(); }
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
  const list::DownloadItem &Item(std::size_t index) { return engine->items[index]; }
  void AddVideo(const std::string &name, const std::string &body, bool sized = true) {
    engine->adder.AddLink(ServeVideo(*this, name, body, sized));
  }

  std::unique_ptr<scheduler::EngineParts> engine;
  int engines = 0;
};

} // namespace vidtrawl::testing
