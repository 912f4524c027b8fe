#pragma once

#include <QAction>
#include <QMenu>
#include <QObject>
#include <QSystemTrayIcon>

namespace vidtrawl::engine {
class Engine;
}

namespace vidtrawl::gui {

class frmMain;
class MovieBridge;

// The tray icon and its menu. The right button opens the menu (the check
// mark of the monitor entry read afresh), a left double-click brings a
// hidden window back; the entries pass their clicks to the engine.
class frmMenu final : public QObject {
  Q_OBJECT

public:
  frmMenu(engine::Engine &engine, frmMain &window, const QIcon &icon, QObject *parent = nullptr);

  // intray: the icon shows in the notification area (where there is one).
  void ShowIcon();
  bool TrayAvailable() const;
  // The menu and the icon go (the exit path).
  void Unload();

  QMenu &Menu() { return menu_; }
  QSystemTrayIcon &Icon() { return icon_; }
  QAction &mnuWebVideo() { return *webVideo_; }
  QAction &mnuDownload() { return *download_; }
  QAction &mnuMonitor() { return *monitor_; }
  QAction &mnuHelp() { return *help_; }
  QAction &mnuAbout() { return *about_; }
  QAction &mnuExit() { return *exit_; }

  // The right button was pressed on the icon: the window comes forward and
  // the entries show the engine's state.
  void PrepareMenu();
  // A click on the icon with this reason (double-click, context, ...).
  void IconActivated(QSystemTrayIcon::ActivationReason reason);

private:
  engine::Engine &engine_;
  frmMain &window_;
  QMenu menu_;
  QSystemTrayIcon icon_;
  QAction *webVideo_;
  QAction *download_;
  QAction *monitor_;
  QAction *help_;
  QAction *about_;
  QAction *exit_;
};

} // namespace vidtrawl::gui
