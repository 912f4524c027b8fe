#pragma once

#include "engine/Engine.h"
#include "gui/ClipboardWatcher.h"
#include "gui/DesktopController.h"
#include "gui/DesktopServices.h"
#include "gui/DownloadListModel.h"
#include "gui/ItemLog.h"
#include "gui/LinkDropFilter.h"
#include "gui/ListKeeper.h"
#include "gui/MainWindow.h"
#include "gui/Notifier.h"
#include "gui/PassStatus.h"
#include "gui/QtEventLoop.h"
#include "gui/QtMessageBox.h"
#include "gui/SettingsWindow.h"
#include "gui/SystemConnectivity.h"
#include "gui/TrayMenu.h"
#include "gui/WindowMemory.h"

#include <QString>

#include <memory>

namespace vidtrawl::gui {

// The desktop program put together: the engine with the Qt hosts, the list
// model, the main window, the controller of the desktop's rules and the tray
// menu. Start runs the start-up sequence.
class Desktop {
public:
  // Hosts a test may put in place of the real ones, and where the files go.
  struct Options {
    QString dataFolder;                   // the movie, help and icon; empty: DataFolder()
    MessageBox *messages = nullptr;       // default: Qt's message boxes
    Connectivity *connectivity = nullptr; // default: the network interfaces
    ShellOpen *shell = nullptr;           // default: the desktop's opener
    FolderChooser *folders = nullptr;     // default: Qt's folder dialog
    ClipboardSwitch *clipboard = nullptr; // default: the clipboard watcher
    engine::Options engine;               // connections and the settings file
    std::filesystem::path listFile = engine::Engine::DefaultListFile(); // empty: none kept
  };

  Desktop();
  explicit Desktop(Options options);
  ~Desktop();
  Desktop(const Desktop &) = delete;
  Desktop &operator=(const Desktop &) = delete;

  // The start-up sequence; the window shows at its end. False, after telling
  // the user, when the window cannot be shown.
  bool Start();

  engine::Engine &Engine() { return engine_; }
  DesktopController &Controller() { return *controller_; }
  MainWindow &Window() { return *window_; }
  TrayMenu &Menu() { return *menu_; }
  QtEventLoop &Loop() { return loop_; }
  ClipboardWatcher &Clipboard() { return clipboard_; }

  // A note for the user that needs no answer: a desktop notification, and stderr.
  void Tell(const std::string &text);
  PassStatus &Status() { return status_; }

  // The settings window, made when first asked for.
  SettingsWindow &Settings();

private:
  void PassEnded(const DesktopController::PassEnd &end);
  void ShowStatus();

  Options options_;
  QtEventLoop loop_;
  QtMessageBox messages_;
  SystemConnectivity connectivity_;
  DesktopOpener shell_;
  FolderDialog folders_;
  ItemLog log_;
  engine::Engine engine_;
  DownloadListModel model_;
  PassStatus status_;
  Notifier notifier_;
  ListKeeper keeper_;
  std::unique_ptr<MainWindow> window_;
  ClipboardWatcher clipboard_;
  std::unique_ptr<DesktopController> controller_;
  std::unique_ptr<TrayMenu> menu_;
  std::unique_ptr<SettingsWindow> settings_;
  LinkDropFilter drops_;
  WindowMemory memory_;
};

} // namespace vidtrawl::gui
