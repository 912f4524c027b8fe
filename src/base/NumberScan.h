#pragma once

#include <charconv>
#include <optional>
#include <string_view>
#include <type_traits>

namespace vidtrawl::base {

// The whole text read as a decimal integer of type T: digits with an
// optional leading '-' (for signed T), nothing before or after, within T's
// range. Nothing otherwise.
template <typename T> std::optional<T> ParseInteger(std::string_view text) {
  static_assert(std::is_integral_v<T>);
  T value{};
  const char *end = text.data() + text.size();
  const auto [ptr, ec] = std::from_chars(text.data(), end, value);
  if (text.empty() || ec != std::errc() || ptr != end)
    return std::nullopt;
  return value;
}

// True when text is one or more decimal digits and nothing else.
bool AllDigits(std::string_view text);

} // namespace vidtrawl::base
