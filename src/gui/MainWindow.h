#pragma once

#include "gui/DesktopHosts.h"
#include "gui/DownloadListView.h"
#include "gui/MovieBridge.h"
#include "gui/WindowFilters.h"

#include <QWidget>

#include <functional>

namespace vidtrawl::gui {

class TrayMenu;

// The main window: a frameless window that the movie covers, with the
// download list laid over the movie's list panel. It is 630 x 535 at the
// usual font size (10 points) and grows with a larger system font, the
// movie and the list's columns with it; the list follows the palette.
class MainWindow final : public QWidget, public WindowActions {
  Q_OBJECT

public:
  static constexpr int kWidth = 630;
  static constexpr int kHeight = 535;
  static constexpr QRect kListGeometry{29, 190, 570, 177};

  explicit MainWindow(DownloadListModel &model, QWidget *parent = nullptr);

  // How much larger than at 10 points the application's font is (1 at least).
  static double FontScale();
  double Scale() const { return scale_; }
  // Sizes and colours afresh, for the font and palette now in use.
  void ApplyLook();
  // Back from the tray, from being minimised or from behind other windows.
  void Restore();
  // A click on the tray icon: a window on show goes to the tray, else it comes back.
  void ToggleFromTray();
  ~MainWindow() override;

  MovieBridge &Movie() { return movie_; }
  DownloadListView &List() { return list_; }
  void SetMenu(TrayMenu *menu) { menu_ = menu; }
  // What a close request of the window system does (the exit path).
  void OnCloseRequest(std::function<void()> handler) { closeRequested_ = std::move(handler); }

  // The window behaviour filters: no right button or context key for the
  // movie, one row per wheel turn for the list.
  void StartFilters();
  void StopFilters() override;
  bool Filtered() const { return filtered_; }
  ListWheelFilter &WheelFilter() { return wheelFilter_; }

  void DragWindow() override;
  void Minimize() override;
  void HideToTray() override;
  void BringForward() override { Restore(); }
  void ShowList() override;
  void HideList() override;
  void UnloadMenu() override;
  void EndProcess() override;

protected:
  void closeEvent(QCloseEvent *event) override;
  void changeEvent(QEvent *event) override;

private:
  MovieBridge movie_;
  DownloadListView list_;
  MovieInputFilter movieFilter_;
  ListWheelFilter wheelFilter_;
  TrayMenu *menu_ = nullptr;
  std::function<void()> closeRequested_;
  double scale_ = 1.0;
  bool filtered_ = false;
  bool ending_ = false;
};

} // namespace vidtrawl::gui
