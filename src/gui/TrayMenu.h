#pragma once

#include <QAction>
#include <QMenu>
#include <QObject>
#include <QSystemTrayIcon>

#include "gui/ChoiceMenu.h"

namespace vidtrawl::gui {

class DesktopController;
class MainWindow;

// The tray icon and its menu. The right button opens the menu (the check
// mark of the monitor entry read afresh); a click shows or hides the window;
// the entries pass their clicks to the desktop's controller, as the movie's
// buttons do.
class TrayMenu final : public QObject {
  Q_OBJECT

public:
  TrayMenu(DesktopController &controller, MainWindow &window, const QIcon &icon,
           QObject *parent = nullptr);

  // The icon shows in the notification area (where there is one).
  void ShowIcon();
  bool TrayAvailable() const;
  // The menu and the icon go (the exit path).
  void Unload();

  QMenu &Menu() { return menu_; }
  QSystemTrayIcon &Icon() { return icon_; }
  QAction &MonitorEntry() { return *monitor_; }
  SpeedLimitMenu &SpeedLimit() { return speedLimit_; }

  // The menu is about to open: the window comes forward and the entries
  // show the controller's state.
  void PrepareMenu();
  // A click on the icon with this reason (double-click, context, ...).
  void IconActivated(QSystemTrayIcon::ActivationReason reason);

private:
  DesktopController &controller_;
  MainWindow &window_;
  QMenu menu_;
  QSystemTrayIcon icon_;
  QAction *showWindow_;
  QAction *download_;
  QAction *monitor_;
  SpeedLimitMenu speedLimit_;
  QAction *settings_;
  QAction *help_;
  QAction *about_;
  QAction *exit_;
};

} // namespace vidtrawl::gui
