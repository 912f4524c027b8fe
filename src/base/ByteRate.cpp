#include "base/ByteRate.h"

#include <charconv>
#include <cmath>

namespace vidtrawl::base {

std::optional<std::uint64_t> ParseByteRate(std::string_view text) {
  if (text.empty())
    return std::nullopt;
  double unit = 1;
  switch (text.back()) {
  case 'k':
  case 'K':
    unit = 1024;
    break;
  case 'm':
  case 'M':
    unit = 1024.0 * 1024;
    break;
  case 'g':
  case 'G':
    unit = 1024.0 * 1024 * 1024;
    break;
  default:
    break;
  }
  if (unit > 1)
    text.remove_suffix(1);
  double value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || error != std::errc() || end != text.data() + text.size() ||
      !std::isfinite(value) || value * unit < 1 || value * unit > 1e18)
    return std::nullopt;
  return static_cast<std::uint64_t>(value * unit);
}

std::string ByteRateText(std::uint64_t bytesPerSecond) {
  for (const auto &[unit, suffix] :
       {std::pair{1ull << 30, "G"}, std::pair{1ull << 20, "M"}, std::pair{1ull << 10, "k"}})
    if (bytesPerSecond >= unit && bytesPerSecond % unit == 0)
      return std::to_string(bytesPerSecond / unit) + suffix;
  return std::to_string(bytesPerSecond);
}

} // namespace vidtrawl::base
