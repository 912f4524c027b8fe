#pragma once

#include "list/DownloadList.h"
#include "list/FileNameEdit.h"
#include "list/LinkAdder.h"
#include "list/ListBinder.h"
#include "list/ListEditor.h"
#include "resolve/LinkFetcher.h"
#include "resolve/RedirectResolver.h"
#include "resolve/ScratchFile.h"
#include "scheduler/DownloadPass.h"
#include "scheduler/StartStopControl.h"
#include "scheduler/TransferEventHandler.h"
#include "scheduler/WindowState.h"
#include "settings/Settings.h"
#include "transfer/Download.h"

#include <filesystem>
#include <optional>

namespace vidtrawl::host {
class Connectivity;
class MessageBox;
class MovieVariables;
class Pump;
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
  host::MovieVariables &movie;
  host::Connectivity &connectivity;
};

// Where the engine keeps its files.
struct EnginePaths {
  // The settings file (default: the user's registry file).
  std::optional<std::filesystem::path> registryFile;
  // The folder of the page scratch file (default: a private per-instance
  // folder under the user's cache folder).
  std::optional<std::filesystem::path> scratchFolder;
};

// The engine object both front ends share: the window-level state, the
// download list and the pieces that work on them, wired once. It decides
// nothing itself; each piece holds its own rules.
class Engine {
public:
  // connections: where connections go (VIDTRAWL_CONNECT_TO and the like).
  Engine(EngineHosts hosts, transfer::ConnectionMap connections, EnginePaths paths = {});
  Engine(const Engine &) = delete;
  Engine &operator=(const Engine &) = delete;

  WindowState state;
  settings::Settings settings;
  list::DownloadList items;
  transfer::Download download;
  resolve::RedirectResolver resolver;
  resolve::ScratchFile scratch;
  resolve::LinkFetcher fetcher;
  list::ListBinder binder;
  list::ListEditor editor;
  list::LinkAdder adder;
  list::FileNameEdit fileNameEdit; // a grid that lets the user edit file names reports here
  TransferEventHandler events;
  DownloadPass pass;
  StartStopControl control;
};

} // namespace vidtrawl::scheduler
