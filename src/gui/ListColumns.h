#pragma once

#include <array>
#include <string_view>

namespace vidtrawl::gui {

// The list's columns, in their order: the number, the four of the list's own record, and the
// run's (shown or hidden from the header's menu).
enum ListColumn : int {
  kColumnID = 0,
  kColumnAddress = 1,
  kColumnFileName = 2,
  kColumnStatus = 3,
  kColumnSize = 4,
  kColumnProgress = 5,
  kColumnSpeed = 6,
  kColumnTimeLeft = 7,
};
inline constexpr int kColumnCount = 8;
inline constexpr int kFirstRunColumn = kColumnProgress;

struct ColumnLayout {
  std::string_view caption; // header text; a run column's name in the settings too
  int widthTwips;           // initial width; 1440 twips to the inch
};

inline constexpr std::array<ColumnLayout, kColumnCount> kColumnLayouts{{
    {" ", 300},
    {"Video URL", 3800},
    {"Local File Name", 1800},
    {"Download Status", 1700},
    {"File Size", 750},
    {"Progress", 2600},
    {"Speed", 1150},
    {"Time Left", 1150},
}};

// Twips to device pixels at the given resolution (dots per inch).
constexpr int TwipsToPixels(int twips, int dpi = 96) {
  return (twips * dpi + 720) / 1440;
}

} // namespace vidtrawl::gui
