#include "gui/frmMain.h"

#include "gui/frmMenu.h"

#include <QApplication>
#include <QCloseEvent>
#include <QWindow>

namespace vidtrawl::gui {

frmMain::frmMain(QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint), movie_(this), grid_(this),
      movieFilter_(this), wheelFilter_(*this, grid_, this) {
  setWindowTitle(QStringLiteral("Vidtrawl"));
  setFixedSize(kWidth, kHeight);
  movie_.setGeometry(0, 0, kWidth, kHeight);
  grid_.setGeometry(kGridGeometry);
  // Behind the movie until the movie shows its download page.
  grid_.hide();
  movie_.raise();
}

frmMain::~frmMain() {
  StopHook();
}

void frmMain::StartHook() {
  if (hooked_)
    return;
  movie_.installEventFilter(&movieFilter_);
  qApp->installEventFilter(&wheelFilter_);
  hooked_ = true;
}

void frmMain::StopHook() {
  if (!hooked_)
    return;
  movie_.removeEventFilter(&movieFilter_);
  qApp->removeEventFilter(&wheelFilter_);
  hooked_ = false;
}

void frmMain::DragWindow() {
  if (QWindow *handle = windowHandle())
    handle->startSystemMove();
}

void frmMain::Minimize() {
  showMinimized();
}

void frmMain::HideToTray() {
  // Without a tray there would be no way back: the window is minimised instead.
  if (menu_ == nullptr || !menu_->TrayAvailable()) {
    showMinimized();
    return;
  }
  hide();
  menu_->ShowIcon();
}

void frmMain::ShowDownloadGrid() {
  grid_.show();
  grid_.raise();
}

void frmMain::HideDownloadGrid() {
  grid_.hide();
}

void frmMain::UnloadMenu() {
  if (menu_ != nullptr)
    menu_->Unload();
}

void frmMain::EndProcess() {
  // The call running now (a pass asked to stop, say) unwinds first; the
  // event loop then ends and the program with it.
  ending_ = true;
  hide();
  QCoreApplication::exit(0);
}

void frmMain::closeEvent(QCloseEvent *event) {
  if (ending_) {
    event->accept();
    return;
  }
  // The window system's close goes the one way out there is.
  event->ignore();
  if (closeRequested_)
    closeRequested_();
}

} // namespace vidtrawl::gui
