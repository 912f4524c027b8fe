#pragma once

#include <functional>
#include <string>

// What the desktop's rules ask of the window system; each has a Qt side in
// the program and a recording one in the tests.
namespace vidtrawl::gui {

// The main window's own moves, the list laid over the movie, and the way out.
class WindowActions {
public:
  virtual ~WindowActions() = default;
  // Starts moving the window with the mouse (the user holds the button).
  virtual void DragWindow() = 0;
  virtual void Minimize() = 0;
  // Hides the window, leaving only the tray icon.
  virtual void HideToTray() = 0;
  // Shown and raised above other windows, from the tray or minimised too.
  virtual void BringForward() = 0;
  // The window fills the screen, or has its own size again.
  virtual void ToggleMaximized() = 0;
  // The list becomes visible above the movie; or hidden.
  virtual void ShowList() = 0;
  virtual void HideList() = 0;
  // The details pane under the list is shown, or hidden; the settings window comes forward; the
  // speed limit's menu opens at the pointer.
  virtual void ToggleDetails() = 0;
  virtual void ShowSettings() = 0;
  virtual void ChooseSpeedLimit() = 0;
  // The window behaviour filters go (the exit path's first step).
  virtual void StopFilters() = 0;
  // The tray menu goes.
  virtual void UnloadMenu() = 0;
  // The program ends as soon as the call that is running returns.
  virtual void EndProcess() = 0;
};

// The movie's variables, addressed by a path that starts with "_root.".
class MovieVariables {
public:
  virtual ~MovieVariables() = default;
  virtual void Set(const std::string &name, const std::string &value) = 0;
  virtual std::string Get(const std::string &name) = 0;
};

// Opens a document, a folder or a web address with the desktop's default
// handler. When nothing could open it, `failed` is called (maybe later, on
// the program's thread) with the reason.
class ShellOpen {
public:
  using Failed = std::function<void(const std::string &reason)>;
  virtual ~ShellOpen() = default;
  virtual void Open(const std::string &target, Failed failed) = 0;
};

// The folder dialog: the chosen folder, or empty text when the user
// cancelled.
class FolderChooser {
public:
  virtual ~FolderChooser() = default;
  virtual std::string ChooseFolder(const std::string &prompt) = 0;
};

// Whether the machine is online.
class Connectivity {
public:
  virtual ~Connectivity() = default;
  virtual bool IsConnected() = 0;
};

// The clipboard watcher: while on, each copied text reaches the desktop.
class ClipboardSwitch {
public:
  virtual ~ClipboardSwitch() = default;
  // Starting again while watching changes nothing.
  virtual void Watch(bool on) = 0;
  // Puts text on the clipboard; the watcher does not hand it back.
  virtual void Copy(const std::string &text) = 0;
};

} // namespace vidtrawl::gui
