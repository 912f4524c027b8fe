#include "gui/TrayMenu.h"

#include "gui/DesktopController.h"
#include "gui/MainWindow.h"

namespace vidtrawl::gui {

TrayMenu::TrayMenu(DesktopController &controller, MainWindow &window, const QIcon &icon,
                   QObject *parent)
    : QObject(parent), controller_(controller), window_(window), menu_(QStringLiteral("Menu")),
      icon_(icon), speedLimit_([this] { return controller_.SpeedLimit(); },
                               [this](std::uint64_t limit) { controller_.SetSpeedLimit(limit); }) {
  icon_.setToolTip(QStringLiteral("Vidtrawl"));
  showWindow_ = menu_.addAction(QStringLiteral("Vidtrawl"), [this] { window_.Restore(); });
  menu_.addSeparator();
  download_ = menu_.addAction(QString::fromLatin1(controller_.Caption()),
                              [this] { controller_.TrayDownload(); });
  menu_.addSeparator();
  monitor_ = menu_.addAction(QStringLiteral("Monitor Video URL's in Clipboard"));
  monitor_->setCheckable(true);
  // The entry acts on the mark it showed; the click has flipped it already.
  connect(monitor_, &QAction::triggered,
          [this](bool nowChecked) { controller_.TrayMonitor(!nowChecked); });
  menu_.addMenu(&speedLimit_);
  settings_ = menu_.addAction(QStringLiteral("Settings…"), [this] {
    window_.Restore();
    window_.ShowSettings();
  });
  menu_.addSeparator();
  help_ = menu_.addAction(QStringLiteral("Help"), [this] { controller_.OpenHelp(); });
  about_ = menu_.addAction(QStringLiteral("About"), [this] {
    window_.Restore();
    window_.Movie().ShowPage(QStringLiteral("About"));
  });
  menu_.addSeparator();
  exit_ = menu_.addAction(QStringLiteral("Exit Vidtrawl"), [this] { controller_.TrayExit(); });

  connect(&menu_, &QMenu::aboutToShow, this, &TrayMenu::PrepareMenu);
  connect(&icon_, &QSystemTrayIcon::activated, this, &TrayMenu::IconActivated);
  icon_.setContextMenu(&menu_);
  controller_.OnCaptionChanged(
      [this] { download_->setText(QString::fromLatin1(controller_.Caption())); });
}

void TrayMenu::ShowIcon() {
  icon_.show();
}

bool TrayMenu::TrayAvailable() const {
  return QSystemTrayIcon::isSystemTrayAvailable() && icon_.isVisible();
}

void TrayMenu::Unload() {
  controller_.OnCaptionChanged({});
  icon_.setContextMenu(nullptr);
  icon_.hide();
}

void TrayMenu::PrepareMenu() {
  if (window_.isVisible()) {
    window_.raise();
    window_.activateWindow();
  }
  monitor_->setChecked(controller_.Monitoring());
  download_->setText(QString::fromLatin1(controller_.Caption()));
}

void TrayMenu::IconActivated(QSystemTrayIcon::ActivationReason reason) {
  // A click shows or hides the window (trays that speak D-Bus report no
  // other click); a double-click, whose first click hid it, brings it back.
  if (reason == QSystemTrayIcon::Trigger)
    window_.ToggleFromTray();
  else if (reason == QSystemTrayIcon::DoubleClick)
    window_.Restore();
}

} // namespace vidtrawl::gui
