#pragma once

namespace vidtrawl::host {
class Clipboard;
class FolderChooser;
class MainWindow;
class ShellOpen;
class Timers;
} // namespace vidtrawl::host

namespace vidtrawl::engine {

// What only the desktop program gives the engine: its window, timers, the
// desktop's opener, the folder dialog and the clipboard.
struct DesktopHosts {
  host::MainWindow &window;
  host::Timers &timers;
  host::ShellOpen &shell;
  host::FolderChooser &folders;
  host::Clipboard &clipboard;
};

} // namespace vidtrawl::engine
