#include "manifests/IsoDuration.h"

#include "base/TrimBlanks.h"

#include <charconv>
#include <cmath>

namespace vidtrawl::manifests {

std::optional<double> ParseIsoDuration(std::string_view text) {
  text = base::TrimBlanks(text);
  if (!text.starts_with('P') || text.size() < 3)
    return std::nullopt;
  text.remove_prefix(1);
  double total = 0;
  bool inTime = false;
  while (!text.empty()) {
    if (text.front() == 'T' && !inTime) {
      inTime = true;
      text.remove_prefix(1);
      continue;
    }
    double value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end == text.data() + text.size() || !(value >= 0))
      return std::nullopt;
    const char unit = *end;
    text.remove_prefix(static_cast<std::size_t>(end - text.data()) + 1);
    double scale = 0;
    if (!inTime)
      scale = unit == 'Y' ? 365 * 86400.0 : unit == 'M' ? 30 * 86400.0 : unit == 'D' ? 86400 : 0;
    else
      scale = unit == 'H' ? 3600 : unit == 'M' ? 60 : unit == 'S' ? 1 : 0;
    if (scale == 0)
      return std::nullopt;
    total += value * scale;
  }
  if (!std::isfinite(total))
    return std::nullopt;
  return total;
}

} // namespace vidtrawl::manifests
