#pragma once

#include "gui/DesktopHosts.h"
#include "gui/DetailsPane.h"
#include "gui/DownloadListView.h"
#include "gui/MovieBridge.h"
#include "gui/WindowFilters.h"

#include <QSplitter>
#include <QWidget>

#include <functional>

namespace vidtrawl::gui {

class TrayMenu;

// The main window: a frameless window that the movie covers, with the
// download list (and the details pane under it, when shown) laid over the
// area the movie keeps for it. It is at least
// 630 x 535 at the usual font size (10 points) and larger with a larger
// system font, the movie and the list's columns with it; it is resized from
// its edges and fills the screen when asked, the movie laying itself out
// and the list taking the room. On a screen with less room than that it is
// as large as the screen allows. The list follows the palette.
class MainWindow final : public QWidget, public WindowActions {
  Q_OBJECT

public:
  static constexpr int kWidth = 630;
  static constexpr int kHeight = 535;
  // The least height the movie can be laid out in: its list then shows two rows.
  static constexpr int kLeastHeight = 420;
  // Where the list goes without a movie to say so.
  static constexpr QRect kListGeometry{29, 190, 570, 177};

  MainWindow(DownloadListModel &model, engine::Engine &engine, const ItemLog &log,
             QWidget *parent = nullptr);

  // How much larger than at 10 points the application's font is (1 at least).
  static double FontScale();
  // Sizes and colours afresh, for the font and palette now in use.
  void ApplyLook();
  // Back from the tray, from being minimised or from behind other windows.
  void Restore();
  // A click on the tray icon: a window on show goes to the tray, else it comes back.
  void ToggleFromTray();
  ~MainWindow() override;

  MovieBridge &Movie() { return movie_; }
  DownloadListView &List() { return list_; }
  DetailsPane &Details() { return details_; }
  // The details pane, shown (`height` high, 0: as high as it was) or hidden.
  void SetDetails(bool shown, int height = 0);
  bool DetailsShown() const { return !details_.isHidden(); }
  int DetailsHeight() const;
  void SetMenu(TrayMenu *menu) { menu_ = menu; }
  // What a close request of the window system does (the exit path).
  void OnCloseRequest(std::function<void()> handler) { closeRequested_ = std::move(handler); }

  // The window behaviour filters: no right button or context key for the
  // movie, one row per wheel turn for the list.
  void StartFilters();
  void StopFilters() override;

  void DragWindow() override;
  void Minimize() override;
  void HideToTray() override;
  void BringForward() override { Restore(); }
  void ToggleMaximized() override;
  void ShowList() override;
  void HideList() override;
  void ToggleDetails() override { SetDetails(!DetailsShown()); }
  void ShowSettings() override { emit settingsRequested(); }
  void ChooseSpeedLimit() override { emit speedLimitRequested(); }
  void UnloadMenu() override;
  void EndProcess() override;

signals:
  void settingsRequested();
  void speedLimitRequested();
  void detailsChanged();

protected:
  void closeEvent(QCloseEvent *event) override;
  void changeEvent(QEvent *event) override;
  void resizeEvent(QResizeEvent *event) override;

private:
  void PlaceList();

  MovieBridge movie_;
  // Before the list and the pane: it is their parent, and goes after them.
  QSplitter listArea_;
  DownloadListView list_;
  DetailsPane details_;
  int detailsHeight_ = 0;
  MovieInputFilter movieFilter_;
  WindowEdgeFilter edgeFilter_;
  ListWheelFilter wheelFilter_;
  TrayMenu *menu_ = nullptr;
  std::function<void()> closeRequested_;
  double scale_ = 1.0;
  // How much larger than drawn the movie is shown: the font's scale, less
  // on a screen without room for it.
  double zoom_ = 1.0;
  bool sized_ = false;
  bool filtered_ = false;
  bool ending_ = false;
};

} // namespace vidtrawl::gui
