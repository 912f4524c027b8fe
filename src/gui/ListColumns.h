#pragma once

#include <array>
#include <string_view>

namespace vidtrawl::gui {

// The list's columns, in their order.
enum ListColumn : int {
  kColumnID = 0,
  kColumnAddress = 1,
  kColumnFileName = 2,
  kColumnStatus = 3,
  kColumnSize = 4,
};
inline constexpr int kColumnCount = 5;

struct ColumnLayout {
  std::string_view caption; // header text
  int widthTwips;           // initial width; 1440 twips to the inch
};

inline constexpr std::array<ColumnLayout, kColumnCount> kColumnLayouts{{
    {" ", 300},
    {"Video URL", 3800},
    {"Local File Name", 1800},
    {"Download Status", 1700},
    {"File Size", 750},
}};

// Twips to device pixels at the given resolution (dots per inch).
constexpr int TwipsToPixels(int twips, int dpi = 96) {
  return (twips * dpi + 720) / 1440;
}

} // namespace vidtrawl::gui
