#include "gui/MainWindow.h"

#include "gui/TrayMenu.h"

#include <QApplication>
#include <QCloseEvent>
#include <QWindow>

namespace vidtrawl::gui {

MainWindow::MainWindow(DownloadListModel &model, QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint), movie_(this), list_(model, this),
      movieFilter_(this), wheelFilter_(*this, list_, this) {
  setWindowTitle(QStringLiteral("Vidtrawl"));
  setFixedSize(kWidth, kHeight);
  movie_.setGeometry(0, 0, kWidth, kHeight);
  list_.setGeometry(kListGeometry);
  // Behind the movie until the movie shows its download page.
  list_.hide();
  movie_.raise();
}

MainWindow::~MainWindow() {
  StopFilters();
}

void MainWindow::StartFilters() {
  if (filtered_)
    return;
  movie_.installEventFilter(&movieFilter_);
  qApp->installEventFilter(&wheelFilter_);
  filtered_ = true;
}

void MainWindow::StopFilters() {
  if (!filtered_)
    return;
  movie_.removeEventFilter(&movieFilter_);
  qApp->removeEventFilter(&wheelFilter_);
  filtered_ = false;
}

void MainWindow::DragWindow() {
  if (QWindow *handle = windowHandle())
    handle->startSystemMove();
}

void MainWindow::Minimize() {
  showMinimized();
}

void MainWindow::HideToTray() {
  // Without a tray there would be no way back: the window is minimised instead.
  if (menu_ == nullptr || !menu_->TrayAvailable()) {
    showMinimized();
    return;
  }
  hide();
  menu_->ShowIcon();
}

void MainWindow::ShowList() {
  list_.show();
  list_.raise();
}

void MainWindow::HideList() {
  list_.hide();
}

void MainWindow::UnloadMenu() {
  if (menu_ != nullptr)
    menu_->Unload();
}

void MainWindow::EndProcess() {
  // The call running now (a pass asked to stop, say) unwinds first; the
  // event loop then ends and the program with it.
  ending_ = true;
  hide();
  QCoreApplication::exit(0);
}

void MainWindow::closeEvent(QCloseEvent *event) {
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
