#include "gui/WindowMemory.h"

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
constexpr int kDelayMillis = 1000;
constexpr int kKeptColumns = kColumnCount - kColumnAddress;

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
  // The widths were kept for the window's own size, which the screen may not have room for.
  int narrower = 0;
  if (const auto kept = Numbers(engine_.FrontEndValue(kGeometry), 4)) {
    const QRect place((*kept)[0], (*kept)[1], (*kept)[2], (*kept)[3]);
    const QScreen *screen = QGuiApplication::screenAt(place.center());
    if (screen == nullptr)
      screen = QGuiApplication::primaryScreen();
    if (screen != nullptr && place.isValid()) {
      window_.setGeometry(OnScreen(place, screen->availableGeometry(), window_.minimumSize()));
      narrower = place.width() - window_.width();
    }
  }
  if (engine_.FrontEndValue(kMaximized) == "True")
    window_.setWindowState(window_.windowState() | Qt::WindowMaximized);
  QHeaderView &header = *window_.List().horizontalHeader();
  if (auto widths = Numbers(engine_.FrontEndValue(kColumnWidths), kKeptColumns)) {
    widths->front() -= narrower; // the address column gives up the room, as on a resize
    for (int column = 0; column < kKeptColumns; ++column)
      header.resizeSection(kColumnAddress + column,
                           std::max((*widths)[static_cast<std::size_t>(column)], 16));
  }
  window_.installEventFilter(this);
  connect(&header, &QHeaderView::sectionResized, this, &WindowMemory::Changed,
          Qt::UniqueConnection);
}

void WindowMemory::Keep() {
  delay_.stop();
  const QRect place = window_.normalGeometry();
  std::vector<int> widths;
  for (int column = kColumnAddress; column < kColumnCount; ++column)
    widths.push_back(window_.List().horizontalHeader()->sectionSize(column));
  // As they are at the window's own size: a maximised window's address column is the wider.
  widths.front() -= window_.width() - place.width();
  const std::pair<const char *, std::string> values[] = {
      {kGeometry, Text({place.x(), place.y(), place.width(), place.height()})},
      {kMaximized, window_.isMaximized() ? "True" : "False"},
      {kColumnWidths, Text(widths)}};
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
