#pragma once

#include <chrono>
#include <optional>
#include <string_view>

namespace vidtrawl::net {

// How long the network may keep the program waiting: a connection attempt,
// and a server that sends nothing (during a transfer, a header request or
// the redirect resolver's exchange).
struct TimeLimits {
  std::chrono::milliseconds connect{30000};
  std::chrono::milliseconds silence{60000};

  // VIDTRAWL_TIMEOUT=SECONDS (a decimal number above 0) shortens both limits
  // to SECONDS where they are longer: for tests that meet silent servers, and
  // for users on a network where waiting a minute is pointless.
  static TimeLimits FromEnvironment();
  // The limits for a VIDTRAWL_TIMEOUT text; the defaults for nonsense.
  static TimeLimits FromText(std::optional<std::string_view> seconds);
};

} // namespace vidtrawl::net
