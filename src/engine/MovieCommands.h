#pragma once

#include <string>

namespace vidtrawl::host {
class MainWindow;
class MovieVariables;
class ShellOpen;
class Timers;
} // namespace vidtrawl::host
namespace vidtrawl::list {
class LinkAdder;
class ListBinder;
class ListEditor;
} // namespace vidtrawl::list
namespace vidtrawl::scheduler {
class ClipboardMonitor;
class StartStopControl;
struct RunState;
} // namespace vidtrawl::scheduler
namespace vidtrawl::settings {
class Settings;
}

namespace vidtrawl::engine {

class ExitPath;
class FolderChoice;

// The commands the movie sends, each to its operation. Names are compared
// exactly; a command of no row is ignored, and the argument is never used.
class MovieCommands {
public:
  struct Parts {
    scheduler::RunState &state;
    list::LinkAdder &adder;
    list::ListEditor &editor;
    list::ListBinder &binder;
    scheduler::StartStopControl &control;
    scheduler::ClipboardMonitor &monitor;
    settings::Settings &settings;
    FolderChoice &folder;
    ExitPath &exit;
  };
  struct Hosts {
    host::MovieVariables &movie;
    host::MainWindow &window;
    host::Timers &timers;
    host::ShellOpen &shell;
  };
  // helpFile: the help document; webSite: the address the web-site command opens.
  MovieCommands(Parts parts, Hosts hosts, std::string helpFile, std::string webSite);

  void Flash_FSCommand(const std::string &command, const std::string &args);

  // The deferred start: runs the start/stop control once the movie's event
  // has returned, and waits again while a rebuild of the list is filling.
  void tmrDownload_Timer();

private:
  void AddDownloadUrl();

  Parts parts_;
  Hosts hosts_;
  std::string helpFile_;
  std::string webSite_;
};

} // namespace vidtrawl::engine
