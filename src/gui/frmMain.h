#pragma once

#include "gui/DownloadGrid.h"
#include "gui/MovieBridge.h"
#include "gui/WindowFilters.h"
#include "host/MainWindow.h"

#include <QWidget>

#include <functional>

namespace vidtrawl::gui {

class frmMenu;

// The main window: a frameless 630 x 535 window that the movie covers, with
// the download grid laid over the movie's list panel. It is the engine's
// view and the window the engine moves, hides and closes; the state behind
// it lives in the engine.
class frmMain final : public QWidget, public host::MainWindow {
  Q_OBJECT

public:
  static constexpr int kWidth = 630;
  static constexpr int kHeight = 535;
  static constexpr QRect kGridGeometry{29, 190, 570, 177};

  explicit frmMain(QWidget *parent = nullptr);
  ~frmMain() override;

  MovieBridge &Movie() { return movie_; }
  DownloadGrid &Grid() { return grid_; }
  void SetMenu(frmMenu *menu) { menu_ = menu; }
  // What a close request of the window system does (the exit path).
  void OnCloseRequest(std::function<void()> handler) { closeRequested_ = std::move(handler); }

  // The window behaviour filters: no right button or context key for the
  // movie, one row per wheel turn for the grid.
  void StartHook();
  void StopHook() override;
  bool Hooked() const { return hooked_; }
  GridWheelFilter &WheelFilter() { return wheelFilter_; }

  void DragWindow() override;
  void Minimize() override;
  void HideToTray() override;
  void ShowDownloadGrid() override;
  void HideDownloadGrid() override;
  void UnloadMenu() override;
  void EndProcess() override;

protected:
  void closeEvent(QCloseEvent *event) override;

private:
  MovieBridge movie_;
  DownloadGrid grid_;
  MovieInputFilter movieFilter_;
  GridWheelFilter wheelFilter_;
  frmMenu *menu_ = nullptr;
  std::function<void()> closeRequested_;
  bool hooked_ = false;
  bool ending_ = false;
};

} // namespace vidtrawl::gui
