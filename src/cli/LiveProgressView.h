#pragma once

#include "cli/ProgressView.h"

#include <cstddef>
#include <functional>
#include <string>

namespace vidtrawl::cli {

// Progress on a terminal: one line per item, redrawn in place, with a bar,
// percentage, bytes, rate and time left for the item being transferred.
// Lines never wrap (they are cut to the terminal's width); a list taller
// than the terminal shows a window around the current item and a summary.
class LiveProgressView final : public ProgressView {
public:
  struct Style {
    bool unicode = true; // block characters for the bar
    bool colour = true;  // ANSI colours for the states
  };
  // The terminal's size in columns and rows, asked for at every redraw.
  using TerminalSize = std::function<std::pair<std::size_t, std::size_t>()>;

  LiveProgressView(ConsoleWriter writer, Style style, TerminalSize size);

  void Show(const ProgressSnapshot &snapshot) override;
  void Finish(const ProgressSnapshot &snapshot) override;
  void MakeRoomForMessage() override;

  // One item's line for the given width (no colours when `colour` is off).
  std::string Line(const ItemView &item, std::size_t width) const;

private:
  std::string SummaryLine(const ProgressSnapshot &snapshot, std::size_t hidden) const;
  void Draw(const ProgressSnapshot &snapshot);

  ConsoleWriter writer_;
  Style style_;
  TerminalSize size_;
  std::size_t drawn_ = 0; // lines of the last frame, below which the cursor stands
};

// The sizes a terminal can have; what is reported beyond them is taken as
// the nearest.
inline constexpr std::size_t kMinColumns = 20;
inline constexpr std::size_t kMaxColumns = 1000;
inline constexpr std::size_t kMinRows = 5;
inline constexpr std::size_t kMaxRows = 1000;

// The size of the terminal behind a file descriptor in columns and rows:
// what the terminal says, else $COLUMNS (a positive number; anything else is
// ignored), else 80 x 24; kept within the sizes above.
std::pair<std::size_t, std::size_t> TerminalSizeOf(int fd);

} // namespace vidtrawl::cli
