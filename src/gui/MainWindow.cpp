#include "gui/MainWindow.h"

#include "gui/MovieContract.h"
#include "gui/TrayMenu.h"

#include <QApplication>
#include <QCloseEvent>
#include <QScreen>
#include <QShortcut>
#include <QWindow>

#include <algorithm>
#include <cmath>
#include <utility>

namespace vidtrawl::gui {

MainWindow::MainWindow(DownloadListModel &model, engine::Engine &engine, const ItemLog &log,
                       QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint), movie_(this),
      listArea_(Qt::Vertical, this), list_(model, &listArea_), details_(engine, log, &listArea_),
      movieFilter_(
          movie_, [this] { return listArea_.isVisible() && list_.ShowSelectionMenu(); }, this),
      edgeFilter_(*this, this), wheelFilter_(*this, list_, this) {
  setWindowTitle(QStringLiteral("Vidtrawl"));
  setAccessibleName(QStringLiteral("Vidtrawl"));
  movie_.setAccessibleName(QStringLiteral("Vidtrawl window"));
  listArea_.addWidget(&list_);
  listArea_.addWidget(&details_);
  listArea_.setChildrenCollapsible(false);
  // The pane keeps the height it was given (or kept from the last run); the list takes the room
  // the window gains or gives up.
  listArea_.setStretchFactor(0, 1);
  listArea_.setStretchFactor(1, 0);
  listArea_.setHandleWidth(5);
  details_.hide();
  connect(&listArea_, &QSplitter::splitterMoved, this, &MainWindow::detailsChanged);
  connect(&list_, &DownloadListView::shownItemChanged, this,
          [this] { details_.ShowItem(list_.ShownItem()); });
  connect(&movie_, &MovieBridge::listAreaChanged, this, &MainWindow::PlaceList);
  // The settings, from anywhere in the window (the desktops' Preferences key).
  auto *settings = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_Comma), this);
  connect(settings, &QShortcut::activated, this, &MainWindow::settingsRequested);
  ApplyLook();
  // Behind the movie until the movie shows its download page.
  listArea_.hide();
  movie_.raise();
}

void MainWindow::SetDetails(bool shown, int height) {
  if (DetailsShown())
    detailsHeight_ = details_.height();
  if (height > 0)
    detailsHeight_ = height;
  if (detailsHeight_ <= 0)
    detailsHeight_ = static_cast<int>(std::lround(130 * zoom_));
  details_.setVisible(shown);
  if (shown) {
    const int total = listArea_.height();
    listArea_.setSizes({std::max(total - detailsHeight_, 1), detailsHeight_});
  }
  movie_.Set(movie::kDetailsShown, movie::Flag(shown));
  emit detailsChanged();
}

int MainWindow::DetailsHeight() const {
  return DetailsShown() ? details_.height() : detailsHeight_;
}

double MainWindow::FontScale() {
  const QFont font = QApplication::font();
  const double points = font.pointSizeF() > 0 ? font.pointSizeF() : font.pixelSize() * 72.0 / 96.0;
  return std::clamp(points / 10.0, 1.0, 3.0);
}

void MainWindow::ApplyLook() {
  scale_ = FontScale();
  const QScreen *shownOn = screen() != nullptr ? screen() : QGuiApplication::primaryScreen();
  const QSize drawn(static_cast<int>(std::lround(kWidth * scale_)),
                    static_cast<int>(std::lround(kHeight * scale_)));
  const QSize room = shownOn != nullptr ? shownOn->availableGeometry().size() : drawn;
  // Twice the scale or a large font on a small screen: the list gives up
  // rows first, then the whole movie shrinks, so that nothing is off-screen.
  zoom_ = std::min({scale_, room.width() / double(kWidth), room.height() / double(kLeastHeight)});
  setMinimumSize(drawn.boundedTo(room));
  if (!std::exchange(sized_, true))
    resize(minimumSize());
  movie_.SetZoom(zoom_);
  list_.Layout(zoom_);
  details_.SetLook(ListLook::For(QApplication::palette()));
  PlaceList();
}

void MainWindow::resizeEvent(QResizeEvent *event) {
  QWidget::resizeEvent(event);
  movie_.setGeometry(rect());
  PlaceList();
}

void MainWindow::PlaceList() {
  const QRect area = movie_.ListArea();
  const auto scaled = [this](int length) { return static_cast<int>(std::lround(length * zoom_)); };
  listArea_.setGeometry(area.isEmpty()
                            ? QRect(scaled(kListGeometry.x()), scaled(kListGeometry.y()),
                                    scaled(kListGeometry.width()), scaled(kListGeometry.height()))
                            : area);
}

void MainWindow::ToggleMaximized() {
  if (isMaximized())
    showNormal();
  else
    showMaximized();
}

void MainWindow::changeEvent(QEvent *event) {
  // The window's own palette and font are the application's: a change of
  // either comes this way.
  switch (event->type()) {
  case QEvent::ApplicationFontChange:
  case QEvent::ApplicationPaletteChange:
  case QEvent::FontChange:
  case QEvent::PaletteChange:
    ApplyLook();
    break;
  case QEvent::WindowStateChange:
    movie_.Set(movie::kMaximized, movie::Flag(isMaximized()));
    break;
  default:
    break;
  }
  QWidget::changeEvent(event);
}

void MainWindow::Restore() {
  // Minimised no more; filling the screen still, when it did.
  setWindowState(windowState() & ~Qt::WindowMinimized);
  show();
  raise();
  activateWindow();
}

void MainWindow::ToggleFromTray() {
  if (isVisible() && !isMinimized())
    HideToTray();
  else
    Restore();
}

MainWindow::~MainWindow() {
  StopFilters();
}

void MainWindow::StartFilters() {
  if (filtered_)
    return;
  movie_.installEventFilter(&movieFilter_);
  movie_.installEventFilter(&edgeFilter_);
  qApp->installEventFilter(&wheelFilter_);
  filtered_ = true;
}

void MainWindow::StopFilters() {
  if (!filtered_)
    return;
  movie_.removeEventFilter(&movieFilter_);
  movie_.removeEventFilter(&edgeFilter_);
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
  listArea_.show();
  listArea_.raise();
}

void MainWindow::HideList() {
  listArea_.hide();
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
