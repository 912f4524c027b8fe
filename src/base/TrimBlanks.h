#pragma once

#include <string_view>

namespace vidtrawl::base {

// Blanks and line ends: what surrounds an address typed, pasted or read
// from a line.
inline constexpr std::string_view kBlanks = " \t\r\n\f\v";

// The text without blanks and line ends around it.
constexpr std::string_view TrimBlanks(std::string_view text) {
  const std::size_t first = text.find_first_not_of(kBlanks);
  if (first == std::string_view::npos)
    return {};
  return text.substr(first, text.find_last_not_of(kBlanks) - first + 1);
}

} // namespace vidtrawl::base
