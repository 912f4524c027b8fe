#pragma once

#include "engine/Engine.h"
#include "gui/ClipboardWatcher.h"
#include "gui/DesktopServices.h"
#include "gui/LinkDropFilter.h"
#include "gui/QtMessageBox.h"
#include "gui/QtPump.h"
#include "gui/QtTimers.h"
#include "gui/frmMain.h"
#include "gui/frmMenu.h"
#include "host/SystemConnectivity.h"

#include <QString>

#include <memory>

namespace vidtrawl::gui {

// The desktop program put together: the engine with the Qt hosts, the
// main window and the tray menu. Start runs the start-up sequence.
class Desktop {
public:
  // Hosts a test may put in place of the real ones, and where the files go.
  struct Options {
    QString dataFolder;                         // the movie, help and icon; empty: DataFolder()
    host::MessageBox *messages = nullptr;       // default: Qt's message boxes
    host::Connectivity *connectivity = nullptr; // default: the network interfaces
    host::ShellOpen *shell = nullptr;           // default: the desktop's opener
    host::FolderChooser *folders = nullptr;     // default: Qt's folder dialog
    host::Clipboard *clipboard = nullptr;       // default: the clipboard watcher
    engine::Options engine;                     // connections, settings and scratch folders
  };

  Desktop();
  explicit Desktop(Options options);
  Desktop(const Desktop &) = delete;
  Desktop &operator=(const Desktop &) = delete;

  // The start-up sequence; the window shows at its end.
  void Start();

  engine::Engine &Engine() { return *engine_; }
  frmMain &Window() { return window_; }
  frmMenu &Menu() { return *menu_; }
  QtTimers &Timers() { return timers_; }
  QtPump &Pump() { return pump_; }
  ClipboardWatcher &Clipboard() { return clipboard_; }

  // A note for the user that needs no answer: the tray's balloon where the
  // desktop shows one, and stderr.
  void Tell(const std::string &text);

private:
  void PassEnded(const engine::PassSummary &summary);

  Options options_;
  QtPump pump_;
  QtMessageBox messages_;
  host::SystemConnectivity connectivity_;
  DesktopOpener shell_;
  FolderDialog folders_;
  frmMain window_;
  QtTimers timers_;
  ClipboardWatcher clipboard_;
  std::unique_ptr<engine::Engine> engine_;
  std::unique_ptr<frmMenu> menu_;
  LinkDropFilter drops_;
};

} // namespace vidtrawl::gui
