#pragma once

namespace vidtrawl::host {
class FolderChooser;
class MainWindow;
class ShellOpen;
class Timers;
} // namespace vidtrawl::host

namespace vidtrawl::engine {

// What only the desktop program gives the engine: its window, timers, the
// desktop's opener and the folder dialog.
struct DesktopHosts {
  host::MainWindow &window;
  host::Timers &timers;
  host::ShellOpen &shell;
  host::FolderChooser &folders;
};

} // namespace vidtrawl::engine
