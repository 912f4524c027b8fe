#pragma once

#include "list/DownloadList.h"
#include "list/LinkAdder.h"
#include "list/ListBinder.h"
#include "list/ListEditor.h"
#include "resolve/LinkFetcher.h"
#include "resolve/RedirectResolver.h"
#include "resolve/ScratchFile.h"
#include "scheduler/TransferEventHandler.h"
#include "scheduler/WindowState.h"
#include "transfer/Download.h"

#include <filesystem>
#include <optional>

namespace vidtrawl::host {
class Pump;
class MessageBox;
} // namespace vidtrawl::host
namespace vidtrawl::listview {
class Grid;
}

namespace vidtrawl::scheduler {

// The hosts a front end gives the engine.
struct EngineHosts {
  host::Pump &pump;
  host::MessageBox &messages;
  listview::Grid &grid;
};

// The engine object both front ends share: the window-level state, the
// download list and the pieces that work on them, wired once. It decides
// nothing itself; each piece holds its own rules.
class Engine {
public:
  // connections: where connections go (VIDTRAWL_CONNECT_TO and the like);
  // scratchFolder: the folder of the page scratch file (default: a private
  // per-instance folder under the user's cache folder).
  Engine(EngineHosts hosts, transfer::ConnectionMap connections,
         std::optional<std::filesystem::path> scratchFolder = std::nullopt);
  Engine(const Engine &) = delete;
  Engine &operator=(const Engine &) = delete;

  WindowState state;
  list::DownloadList items;
  transfer::Download download;
  resolve::RedirectResolver resolver;
  resolve::ScratchFile scratch;
  resolve::LinkFetcher fetcher;
  list::ListBinder binder;
  list::ListEditor editor;
  list::LinkAdder adder;
  TransferEventHandler events;
};

} // namespace vidtrawl::scheduler
