#include "net/TimeLimits.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>

namespace vidtrawl::net {

TimeLimits TimeLimits::FromEnvironment() {
  const char *text = std::getenv("VIDTRAWL_TIMEOUT");
  return FromText(text != nullptr ? std::optional<std::string_view>(text) : std::nullopt);
}

TimeLimits TimeLimits::FromText(std::optional<std::string_view> seconds) {
  TimeLimits limits;
  if (!seconds || seconds->empty())
    return limits;
  double value = 0;
  const char *end = seconds->data() + seconds->size();
  const auto [ptr, ec] = std::from_chars(seconds->data(), end, value);
  if (ec != std::errc() || ptr != end || !std::isfinite(value) || value <= 0)
    return limits;
  const auto limit = std::chrono::milliseconds(
      std::max<long long>(1, static_cast<long long>(std::min(value, 1e9) * 1000.0)));
  limits.connect = std::min(limits.connect, limit);
  limits.silence = std::min(limits.silence, limit);
  limits.headers = std::min(limits.headers, limit);
  return limits;
}

} // namespace vidtrawl::net
