#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string_view>

namespace vidtrawl::net {

// How long the network may keep the program waiting: a connection attempt;
// a server that sends nothing; the whole header phase of an answer (a server
// that trickles header lines); and, for a file's body, the slowest rate that
// may go on for the silence limit before the transfer gives up.
struct TimeLimits {
  std::chrono::milliseconds connect{30000};
  std::chrono::milliseconds silence{60000};
  std::chrono::milliseconds headers{60000};
  std::uint32_t lowSpeedBytes = 1024; // per second

  // VIDTRAWL_TIMEOUT=SECONDS (a decimal number above 0) shortens the three
  // times to SECONDS where they are longer: for tests that meet silent
  // servers, and for users on a network where waiting a minute is pointless.
  static TimeLimits FromEnvironment();
  // The limits for a VIDTRAWL_TIMEOUT text; the defaults for nonsense.
  static TimeLimits FromText(std::optional<std::string_view> seconds);
};

} // namespace vidtrawl::net
