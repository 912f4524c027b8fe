#include "cli/ConsoleText.h"

#include "engine/Engine.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cwchar>
#include <utility>

namespace vidtrawl::cli {
namespace {

bool IsContinuation(char c) {
  return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

// The UTF-8 sequence at the start of `text`: its length and the columns its
// character takes (wcwidth: two for wide East Asian characters, none for a
// combining mark; one for what the locale cannot tell).
std::pair<std::size_t, std::size_t> Character(std::string_view text) {
  const auto lead = static_cast<unsigned char>(text[0]);
  std::size_t length = lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
  length = std::min(length, text.size());
  char32_t code = length == 1 ? lead : lead & (0x7F >> length);
  for (std::size_t i = 1; i < length; ++i) {
    if (!IsContinuation(text[i]))
      return {i, 1}; // a broken sequence: one column, as the stand-in shows
    code = (code << 6) | (static_cast<unsigned char>(text[i]) & 0x3F);
  }
  const int columns = ::wcwidth(static_cast<wchar_t>(code));
  return {length, columns < 0 ? 1 : static_cast<std::size_t>(columns)};
}

// The byte length of the longest start of a text that takes at most
// `columns` columns, and the columns it takes.
std::pair<std::size_t, std::size_t> PrefixBytes(std::string_view text, std::size_t columns) {
  std::size_t at = 0;
  std::size_t taken = 0;
  while (at < text.size()) {
    const auto [length, width] = Character(text.substr(at));
    if (taken + width > columns)
      break;
    taken += width;
    at += length;
  }
  // Marks that combine with the last character go with it.
  while (at < text.size() && Character(text.substr(at)).second == 0)
    at += Character(text.substr(at)).first;
  return {at, taken};
}

} // namespace

std::string ProgressBar(double fraction, std::size_t width, bool unicode) {
  if (!(fraction >= 0))
    fraction = 0;
  if (fraction > 1)
    fraction = 1;
  if (!unicode) {
    const auto done = static_cast<std::size_t>(std::floor(fraction * static_cast<double>(width)));
    return std::string(done, '#') + std::string(width - done, '-');
  }
  // Eighths of a cell for a smooth front.
  static const char *const kPartial[8] = {"", "▏", "▎", "▍", "▌", "▋", "▊", "▉"};
  const auto eighths =
      static_cast<std::size_t>(std::floor(fraction * static_cast<double>(width) * 8.0));
  const std::size_t full = eighths / 8;
  std::string bar;
  for (std::size_t i = 0; i < full; ++i)
    bar += "█";
  std::size_t cells = full;
  if (cells < width && eighths % 8 != 0) {
    bar += kPartial[eighths % 8];
    ++cells;
  }
  for (; cells < width; ++cells)
    bar += "·";
  return bar;
}

std::string PercentText(double fraction) {
  if (!(fraction >= 0))
    fraction = 0;
  if (fraction > 1)
    fraction = 1;
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "%3d%%", static_cast<int>(std::floor(fraction * 100.0)));
  return buffer;
}

std::string DurationText(double seconds) {
  if (!std::isfinite(seconds) || seconds < 0 || seconds >= 360000)
    return "--:--";
  const long total = std::lround(seconds);
  char buffer[32];
  if (total >= 3600)
    std::snprintf(buffer, sizeof buffer, "%ld:%02ld:%02ld", total / 3600, total / 60 % 60,
                  total % 60);
  else
    std::snprintf(buffer, sizeof buffer, "%ld:%02ld", total / 60, total % 60);
  return buffer;
}

std::string ElapsedText(double seconds) {
  if (!std::isfinite(seconds) || seconds < 0 || seconds >= 59.95)
    return DurationText(seconds);
  const long tenths = std::lround(seconds * 10.0);
  return std::to_string(tenths / 10) + engine::LocaleDecimalSeparator() +
         std::to_string(tenths % 10) + " s";
}

std::string RateText(double bytesPerSecond) {
  if (!(bytesPerSecond > 0) || !std::isfinite(bytesPerSecond))
    return {};
  return engine::FormatSize(bytesPerSecond) + "/s";
}

std::size_t DisplayWidth(std::string_view text) {
  std::size_t width = 0;
  while (!text.empty()) {
    const auto [length, columns] = Character(text);
    width += columns;
    text.remove_prefix(length);
  }
  return width;
}

std::string FitWidth(std::string_view text, std::size_t width) {
  const std::size_t columns = DisplayWidth(text);
  if (columns <= width)
    return std::string(text) + std::string(width - columns, ' ');
  if (width == 0)
    return {};
  // A wide character that does not fit leaves a blank before the "~".
  const auto [bytes, taken] = PrefixBytes(text, width - 1);
  return std::string(text.substr(0, bytes)) + std::string(width - 1 - taken, ' ') + "~";
}

std::string FitWidthRight(std::string_view text, std::size_t width) {
  const std::size_t columns = DisplayWidth(text);
  if (columns <= width)
    return std::string(width - columns, ' ') + std::string(text);
  return FitWidth(text, width);
}

} // namespace vidtrawl::cli
