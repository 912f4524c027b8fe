#include "cli/LiveProgressView.h"

#include "base/NumberScan.h"
#include "cli/ConsoleText.h"
#include "engine/Engine.h"

#include <algorithm>
#include <cstdlib>
#include <optional>

#include <sys/ioctl.h>
#include <unistd.h>

namespace vidtrawl::cli {
namespace {

constexpr const char *kReset = "\x1b[0m";

const char *ColourOf(StatusKind kind) {
  switch (kind) {
  case StatusKind::Complete:
    return "\x1b[32m";
  case StatusKind::Error:
  case StatusKind::Unsupported:
    return "\x1b[31m";
  case StatusKind::Cancelled:
    return "\x1b[33m";
  case StatusKind::Downloading:
  case StatusKind::Preparing:
    return "\x1b[36m";
  default:
    return nullptr;
  }
}

std::string SizeOf(std::int64_t bytes) {
  return engine::FormatSize(static_cast<double>(bytes));
}

// Column widths for a terminal width: the bar, and the name.
struct Columns {
  std::size_t bar;
  std::size_t name;
};

Columns ColumnsFor(std::size_t width) {
  const std::size_t bar = width >= 110 ? 24 : width >= 90 ? 16 : 10;
  // id (4) + name + 2 + bar + 5 (" 100%") + 2 + details (up to 38)
  const std::size_t fixed = 4 + 2 + bar + 5 + 2 + 38;
  const std::size_t name = width > fixed ? std::clamp<std::size_t>(width - fixed, 12, 48) : 12;
  return {bar, name};
}

} // namespace

LiveProgressView::LiveProgressView(ConsoleWriter writer, Style style, TerminalSize size)
    : writer_(std::move(writer)), style_(style), size_(std::move(size)) {}

std::string LiveProgressView::Line(const ItemView &item, std::size_t width) const {
  const Columns columns = ColumnsFor(width);
  std::string line =
      FitWidthRight(std::to_string(item.id), 3) + " " + FitWidth(item.name, columns.name) + "  ";

  std::string state;
  std::string details;
  const std::size_t stateWidth = columns.bar + 5;
  const bool transferring = item.kind == StatusKind::Downloading && item.current;
  if (transferring && (item.total > 0 || item.fragments > 0)) {
    const double fraction = item.Fraction();
    state = ProgressBar(fraction, columns.bar, style_.unicode) + " " + PercentText(fraction);
    details = (item.bytes >= 0 ? SizeOf(item.bytes) : std::string("0 Bytes"));
    if (item.fragments > 0)
      details += (item.total > item.bytes ? " of about " + engine::FormatSize(item.total) : "") +
                 ", " + std::to_string(item.fragmentsStored) + "/" +
                 std::to_string(item.fragments) + " fragments";
    else
      details += " of " + engine::FormatSize(item.total);
    const std::string rate = RateText(item.rate);
    if (!rate.empty())
      details += "  " + rate;
    if (!rate.empty() && item.secondsLeft >= 0)
      details += "  " + DurationText(item.secondsLeft) + " left";
  } else if (transferring) {
    state = FitWidth("Downloading", stateWidth);
    details = (item.bytes >= 0 ? SizeOf(item.bytes) : std::string("0 Bytes")) + " so far";
    const std::string rate = RateText(item.rate);
    if (!rate.empty())
      details += "  " + rate;
    details += "  " + ElapsedText(item.seconds);
  } else {
    state = FitWidth(DisplayState(item), stateWidth);
    if (item.kind == StatusKind::Cancelled && item.bytes <= 0) {
      details = "nothing kept";
    } else if ((item.kind == StatusKind::Complete || item.kind == StatusKind::Cancelled) &&
               item.bytes >= 0) {
      details = SizeOf(item.bytes);
      if (item.seconds > 0) {
        details += " in " + ElapsedText(item.seconds);
        const std::string rate = RateText(item.rate);
        if (!rate.empty())
          details += ", " + rate;
      }
      if (item.kind == StatusKind::Cancelled)
        details += " kept";
    } else if (item.kind == StatusKind::Error) {
      details = item.url;
    }
  }

  // Never reach the last column: a full line would wrap on some terminals.
  const std::size_t room = width > 1 ? width - 1 : 1;
  const std::size_t head = DisplayWidth(line);
  if (head >= room)
    return FitWidth(line, room);
  std::string rest = state + "  " + details;
  rest = FitWidth(rest, room - head);
  while (!rest.empty() && rest.back() == ' ')
    rest.pop_back();
  const char *colour = style_.colour ? ColourOf(item.kind) : nullptr;
  if (colour == nullptr)
    return line + rest;
  // Colour the state part only, within what fits.
  const std::size_t stateBytes = std::min(rest.size(), state.size());
  return line + colour + rest.substr(0, stateBytes) + kReset + rest.substr(stateBytes);
}

std::string LiveProgressView::SummaryLine(const ProgressSnapshot &snapshot,
                                          std::size_t hidden) const {
  std::size_t complete = 0, failed = 0, waiting = 0, cancelled = 0;
  for (const ItemView &item : snapshot.items) {
    switch (item.kind) {
    case StatusKind::Complete:
      ++complete;
      break;
    case StatusKind::Error:
    case StatusKind::Unsupported:
      ++failed;
      break;
    case StatusKind::Cancelled:
      ++cancelled;
      break;
    case StatusKind::Waiting:
      ++waiting;
      break;
    default:
      break;
    }
  }
  return "    ... " + std::to_string(hidden) + " more; of " +
         std::to_string(snapshot.items.size()) + " items: " + std::to_string(complete) +
         " complete, " + std::to_string(failed) + " failed, " + std::to_string(cancelled) +
         " cancelled, " + std::to_string(waiting) + " waiting";
}

void LiveProgressView::Draw(const ProgressSnapshot &snapshot) {
  const auto [width, rows] = size_();
  const std::size_t count = snapshot.items.size();
  const std::size_t maxLines = std::max<std::size_t>(3, rows > 2 ? rows - 2 : 3);

  std::size_t first = 0;
  std::size_t shown = count;
  bool summary = false;
  if (count > maxLines) {
    shown = maxLines - 1;
    summary = true;
    std::size_t current = 0;
    for (std::size_t i = 0; i < count; ++i)
      if (snapshot.items[i].current)
        current = i;
    first = current > shown / 2 ? current - shown / 2 : 0;
    first = std::min(first, count - shown);
  }

  std::string frame;
  if (drawn_ > 0)
    frame += "\x1b[" + std::to_string(drawn_) + "A\r";
  for (std::size_t i = first; i < first + shown; ++i)
    frame += "\x1b[2K" + Line(snapshot.items[i], width) + "\n";
  if (summary)
    frame += "\x1b[2K" + FitWidth(SummaryLine(snapshot, count - shown), width - 1) + "\n";
  const std::size_t lines = shown + (summary ? 1 : 0);
  if (lines < drawn_)
    frame += "\x1b[J";
  drawn_ = lines;
  writer_(frame);
}

void LiveProgressView::Show(const ProgressSnapshot &snapshot) {
  Draw(snapshot);
}

void LiveProgressView::Finish(const ProgressSnapshot &snapshot) {
  Draw(snapshot);
  drawn_ = 0; // the last frame stays on the screen
}

void LiveProgressView::MakeRoomForMessage() {
  if (drawn_ == 0)
    return;
  writer_("\x1b[" + std::to_string(drawn_) + "A\r\x1b[J");
  drawn_ = 0;
}

std::pair<std::size_t, std::size_t> TerminalSizeOf(int fd) {
  std::size_t columns = 80;
  std::size_t rows = 24;
  struct winsize size {};
  const bool asked = ::ioctl(fd, TIOCGWINSZ, &size) == 0;
  // A terminal that does not know its size says 0; COLUMNS may know better.
  if (asked && size.ws_col > 0)
    columns = size.ws_col;
  else if (const char *env = std::getenv("COLUMNS"))
    if (const std::optional<long> value = base::ParseInteger<long>(env); value && *value > 0)
      columns = static_cast<std::size_t>(*value);
  if (asked && size.ws_row > 0)
    rows = size.ws_row;
  // Every line is built to the full width at each redraw: a width no
  // terminal has would cost memory and time in proportion.
  return {std::clamp(columns, kMinColumns, kMaxColumns), std::clamp(rows, kMinRows, kMaxRows)};
}

} // namespace vidtrawl::cli
