#include "gui/WindowMemory.h"

#include "gui/DownloadListView.h"
#include "gui/ListColumns.h"
#include "gui/MainWindow.h"

#include <QEvent>
#include <QGuiApplication>
#include <QHeaderView>
#include <QScreen>
#include <QStringList>

#include <algorithm>
#include <optional>
#include <vector>

namespace vidtrawl::gui {
namespace {

constexpr char kGeometry[] = "Window Geometry";
constexpr char kMaximized[] = "Window Maximized";
constexpr char kColumnWidths[] = "Column Widths";
constexpr char kRunColumnWidths[] = "Run Column Widths";
constexpr char kHiddenColumns[] = "Hidden Columns";
constexpr char kDetailsPane[] = "Details Pane";
constexpr int kDelayMillis = 1000;
// The columns of each list of widths: the list's own record's, and the run's.
constexpr std::pair<const char *, std::pair<int, int>> kWidths[] = {
    {kColumnWidths, {kColumnAddress, kFirstRunColumn}},
    {kRunColumnWidths, {kFirstRunColumn, kColumnCount}}};

QString Caption(int column) {
  const std::string_view caption = kColumnLayouts[static_cast<std::size_t>(column)].caption;
  return QString::fromUtf8(caption.data(), static_cast<qsizetype>(caption.size()));
}

// "N,N,...": `count` whole numbers, or nothing.
std::optional<std::vector<int>> Numbers(const std::string &text, int count) {
  std::vector<int> numbers;
  for (const QString &part : QString::fromStdString(text).split(QLatin1Char(','))) {
    bool ok = false;
    numbers.push_back(part.trimmed().toInt(&ok));
    if (!ok)
      return std::nullopt;
  }
  if (numbers.size() != static_cast<std::size_t>(count))
    return std::nullopt;
  return numbers;
}

std::string Text(const std::vector<int> &numbers) {
  std::string text;
  for (const int number : numbers)
    text += (text.empty() ? "" : ",") + std::to_string(number);
  return text;
}

} // namespace

WindowMemory::WindowMemory(engine::Engine &engine, MainWindow &window, QObject *parent)
    : QObject(parent), engine_(engine), window_(window) {
  delay_.setSingleShot(true);
  delay_.setInterval(kDelayMillis);
  connect(&delay_, &QTimer::timeout, this, &WindowMemory::Keep);
}

WindowMemory::~WindowMemory() {
  if (delay_.isActive())
    Keep();
}

QRect WindowMemory::OnScreen(QRect kept, const QRect &room, QSize least) {
  kept.setSize(kept.size().expandedTo(least).boundedTo(room.size()));
  kept.moveLeft(std::clamp(kept.left(), room.left(), room.right() - kept.width() + 1));
  kept.moveTop(std::clamp(kept.top(), room.top(), room.bottom() - kept.height() + 1));
  return kept;
}

void WindowMemory::Restore() {
  if (const auto kept = Numbers(engine_.FrontEndValue(kGeometry), 4)) {
    const QRect place((*kept)[0], (*kept)[1], (*kept)[2], (*kept)[3]);
    const QScreen *screen = QGuiApplication::screenAt(place.center());
    if (screen == nullptr)
      screen = QGuiApplication::primaryScreen();
    if (screen != nullptr && place.isValid())
      window_.setGeometry(OnScreen(place, screen->availableGeometry(), window_.minimumSize()));
  }
  if (engine_.FrontEndValue(kMaximized) == "True")
    window_.setWindowState(window_.windowState() | Qt::WindowMaximized);
  DownloadListView &list = window_.List();
  QHeaderView &header = *list.horizontalHeader();
  for (const auto &[name, columns] : kWidths)
    if (const auto widths = Numbers(engine_.FrontEndValue(name), columns.second - columns.first))
      for (int column = columns.first; column < columns.second; ++column)
        header.resizeSection(
            column, std::max((*widths)[static_cast<std::size_t>(column - columns.first)], 16));
  const QStringList hidden =
      QString::fromStdString(engine_.FrontEndValue(kHiddenColumns)).split(u',');
  for (int column = kFirstRunColumn; column < kColumnCount; ++column)
    list.setColumnHidden(column, hidden.contains(Caption(column)));
  if (const auto details = Numbers(engine_.FrontEndValue(kDetailsPane), 1))
    window_.SetDetails(details->front() > 0, details->front());
  window_.installEventFilter(this);
  connect(&header, &QHeaderView::sectionResized, this, &WindowMemory::Changed,
          Qt::UniqueConnection);
  connect(&list, &DownloadListView::columnsChanged, this, &WindowMemory::Changed,
          Qt::UniqueConnection);
  connect(&window_, &MainWindow::detailsChanged, this, &WindowMemory::Changed,
          Qt::UniqueConnection);
}

void WindowMemory::Keep() {
  delay_.stop();
  const QRect place = window_.normalGeometry();
  const DownloadListView &list = window_.List();
  std::string widths[2];
  for (std::size_t kind = 0; kind < 2; ++kind) {
    const auto [first, end] = kWidths[kind].second;
    // A hidden column has no width on screen: it keeps the one it had.
    const auto before = Numbers(engine_.FrontEndValue(kWidths[kind].first), end - first);
    std::vector<int> sizes;
    for (int column = first; column < end; ++column)
      sizes.push_back(
          !list.isColumnHidden(column) ? list.horizontalHeader()->sectionSize(column)
          : before                     ? (*before)[static_cast<std::size_t>(column - first)]
                   : TwipsToPixels(kColumnLayouts[static_cast<std::size_t>(column)].widthTwips));
    widths[kind] = Text(sizes);
  }
  QStringList hidden;
  for (int column = kFirstRunColumn; column < kColumnCount; ++column)
    if (list.isColumnHidden(column))
      hidden << Caption(column);
  const std::pair<const char *, std::string> values[] = {
      {kGeometry, Text({place.x(), place.y(), place.width(), place.height()})},
      {kMaximized, window_.isMaximized() ? "True" : "False"},
      {kColumnWidths, widths[0]},
      {kRunColumnWidths, widths[1]},
      {kHiddenColumns, hidden.join(u',').toStdString()},
      {kDetailsPane, std::to_string(window_.DetailsShown() ? window_.DetailsHeight() : 0)}};
  // Each written only when it changed: the file is replaced at every write.
  for (const auto &[name, value] : values)
    if (engine_.FrontEndValue(name) != value)
      engine_.SetFrontEndValue(name, value);
}

bool WindowMemory::eventFilter(QObject *, QEvent *event) {
  switch (event->type()) {
  case QEvent::Move:
  case QEvent::Resize:
  case QEvent::WindowStateChange:
    Changed();
    break;
  default:
    break;
  }
  return false;
}

void WindowMemory::Changed() {
  delay_.start();
}

} // namespace vidtrawl::gui
