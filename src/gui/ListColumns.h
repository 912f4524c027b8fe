#pragma once

#include <array>
#include <cstdint>
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

struct Rgb {
  std::uint8_t r, g, b;
  friend bool operator==(const Rgb &, const Rgb &) = default;
};

// The list's colour scheme.
inline constexpr Rgb kGridBackColour{201, 211, 216};  // light grey-blue
inline constexpr Rgb kGridSecondColour{39, 104, 146}; // dark blue
inline constexpr Rgb kHeaderBack{60, 117, 157};       // steel blue ...
inline constexpr Rgb kHeaderFore{255, 255, 255};      // ... with white text
inline constexpr Rgb kRowBack{255, 255, 255};         // white
inline constexpr Rgb kSelectionBack{0, 0, 0};         // black ...
inline constexpr Rgb kSelectionFore{255, 255, 255};   // ... with white text
inline constexpr Rgb kEditorBack{255, 199, 0};        // amber

} // namespace vidtrawl::gui
