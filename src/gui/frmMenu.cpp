#include "gui/frmMenu.h"

#include "engine/Engine.h"
#include "gui/frmMain.h"

namespace vidtrawl::gui {

frmMenu::frmMenu(engine::Engine &engine, frmMain &window, const QIcon &icon, QObject *parent)
    : QObject(parent), engine_(engine), window_(window), menu_(QStringLiteral("Menu")),
      icon_(icon) {
  icon_.setToolTip(QStringLiteral("Vidtrawl"));
  webVideo_ = menu_.addAction(QStringLiteral("Vidtrawl"), [this] { window_.show(); });
  menu_.addSeparator();
  download_ = menu_.addAction(QString::fromStdString(engine_.MenuCaption()),
                              [this] { engine_.mnuDownload_Click(); });
  menu_.addSeparator();
  monitor_ = menu_.addAction(QStringLiteral("Monitor Video URL's in Clipboard"));
  monitor_->setCheckable(true);
  // The entry acts on the mark it showed; the click has flipped it already.
  connect(monitor_, &QAction::triggered,
          [this](bool nowChecked) { engine_.mnuMonitor_Click(!nowChecked); });
  menu_.addSeparator();
  help_ = menu_.addAction(QStringLiteral("Help"),
                          [this] { engine_.Flash_FSCommand("IDC_FS_Help", ""); });
  about_ = menu_.addAction(QStringLiteral("About"), [this] {
    window_.show();
    window_.Movie().ShowPage(QStringLiteral("About"));
  });
  menu_.addSeparator();
  exit_ = menu_.addAction(QStringLiteral("Exit Vidtrawl"), [this] { engine_.mnuExit_Click(); });

  connect(&menu_, &QMenu::aboutToShow, this, &frmMenu::PrepareMenu);
  connect(&icon_, &QSystemTrayIcon::activated, this, &frmMenu::IconActivated);
  icon_.setContextMenu(&menu_);
  engine_.OnCaptionsChanged(
      [this] { download_->setText(QString::fromStdString(engine_.MenuCaption())); });
}

void frmMenu::ShowIcon() {
  icon_.show();
}

bool frmMenu::TrayAvailable() const {
  return QSystemTrayIcon::isSystemTrayAvailable() && icon_.isVisible();
}

void frmMenu::Unload() {
  engine_.OnCaptionsChanged({});
  icon_.setContextMenu(nullptr);
  icon_.hide();
}

void frmMenu::PrepareMenu() {
  if (window_.isVisible()) {
    window_.raise();
    window_.activateWindow();
  }
  monitor_->setChecked(engine_.TrayMonitorChecked());
  download_->setText(QString::fromStdString(engine_.MenuCaption()));
}

void frmMenu::IconActivated(QSystemTrayIcon::ActivationReason reason) {
  // Only a double-click brings the window back, and only a hidden one: a
  // minimised window stays as it is.
  if (reason == QSystemTrayIcon::DoubleClick && !window_.isVisible())
    window_.show();
}

} // namespace vidtrawl::gui
