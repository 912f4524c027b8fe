#pragma once

namespace vidtrawl::host {

// What the engine asks of the desktop's main window: the window's own
// moves, the grid laid over the movie, and the way out.
class MainWindow {
public:
  virtual ~MainWindow() = default;
  // Starts moving the window with the mouse (the user holds the button).
  virtual void DragWindow() = 0;
  virtual void Minimize() = 0;
  // Hides the window, leaving only the tray icon.
  virtual void HideToTray() = 0;
  // ShowDownloadGrid: the grid becomes visible above the movie; or hidden.
  virtual void ShowDownloadGrid() = 0;
  virtual void HideDownloadGrid() = 0;
  // The window behaviour filters go (the exit path's first step).
  virtual void StopHook() = 0;
  // The tray menu goes.
  virtual void UnloadMenu() = 0;
  // The program ends as soon as the call that is running returns.
  virtual void EndProcess() = 0;
};

} // namespace vidtrawl::host
