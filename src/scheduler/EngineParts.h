#pragma once

#include "list/CurrentItem.h"
#include "list/DownloadList.h"
#include "list/FileNameEdit.h"
#include "list/LinkAdder.h"
#include "list/ListBinder.h"
#include "list/ListEditor.h"
#include "net/Download.h"
#include "resolve/LinkFetcher.h"
#include "resolve/RedirectResolver.h"
#include "resolve/ScratchFile.h"
#include "scheduler/ClipboardMonitor.h"
#include "scheduler/DownloadPass.h"
#include "scheduler/RunState.h"
#include "scheduler/StartStopControl.h"
#include "scheduler/TransferEventHandler.h"
#include "settings/Settings.h"

#include <filesystem>
#include <optional>

namespace vidtrawl::host {
class Connectivity;
class MessageBox;
class MovieVariables;
class Pump;
class Grid;
} // namespace vidtrawl::host

namespace vidtrawl::scheduler {

// The hosts a front end gives the engine.
struct EngineHosts {
  host::Pump &pump;
  host::MessageBox &messages;
  host::Grid &grid;
  host::MovieVariables &movie;
  host::Connectivity &connectivity;
};

// Where the engine keeps its files.
struct EnginePaths {
  // The settings file (default: the user's registry file).
  std::optional<std::filesystem::path> registryFile;
  // The folder of the page scratch file (default: resolve::ScratchFile's
  // private folder of this running instance).
  std::optional<std::filesystem::path> scratchFolder;
};

// Every piece of the engine, wired once: the composition the engine's face
// stands on, and what the tests of the inner pieces drive. The pieces hold
// their own rules; this only connects them.
struct EngineParts {
  EngineParts(EngineHosts hosts, net::ConnectionMap connections, EnginePaths paths = {});
  ~EngineParts();
  EngineParts(const EngineParts &) = delete;
  EngineParts &operator=(const EngineParts &) = delete;

  EngineHosts hosts;
  RunState state;
  settings::Settings settings;
  list::DownloadList items;
  list::CurrentItem current;
  net::Download download;
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
  ClipboardMonitor monitor;
};

} // namespace vidtrawl::scheduler
