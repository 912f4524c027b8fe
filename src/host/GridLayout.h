#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace vidtrawl::host {

// The grid's columns, in the order of the list recordset's fields.
enum GridColumn : int {
  kColumnID = 0,
  kColumnVideoURL = 1,
  kColumnFileName = 2,
  kColumnStatus = 3,
  kColumnFileSize = 4,
};
inline constexpr int kColumnCount = 5;

struct ColumnLayout {
  std::string_view key;     // the recordset field shown in the column
  std::string_view caption; // header text
  int widthTwips;           // initial width; 1440 twips to the inch
  bool editable;            // only the local file name can be edited
};

inline constexpr std::array<ColumnLayout, kColumnCount> kColumnLayouts{{
    {"ID", " ", 300, false},
    {"Video_URL", "Video URL", 3800, false},
    {"FileName", "Local File Name", 1800, true},
    {"Status", "Download Status", 1700, false},
    {"FileSize", "File Size", 750, false},
}};

// Twips to device pixels at the given resolution (dots per inch).
constexpr int TwipsToPixels(int twips, int dpi = 96) {
  return (twips * dpi + 720) / 1440;
}

struct Rgb {
  std::uint8_t r, g, b;
  friend bool operator==(const Rgb &, const Rgb &) = default;
};

// The grid's colour scheme.
inline constexpr Rgb kGridBackColour{201, 211, 216};  // light grey-blue
inline constexpr Rgb kGridSecondColour{39, 104, 146}; // dark blue
inline constexpr Rgb kAppearanceABack{60, 117, 157};  // steel blue
inline constexpr Rgb kAppearanceBBack{60, 117, 157};  // steel blue ...
inline constexpr Rgb kAppearanceBFore{255, 255, 255}; // ... with white text
inline constexpr Rgb kAppearanceCBack{255, 255, 255}; // white
inline constexpr Rgb kAppearanceDBack{0, 0, 0};       // black ...
inline constexpr Rgb kAppearanceDFore{255, 255, 255}; // ... with white text
inline constexpr Rgb kAppearanceEBack{255, 199, 0};   // amber

} // namespace vidtrawl::host
