#include "resolve/HostAndPort.h"

#include <algorithm>
#include <charconv>

namespace vidtrawl::resolve {
namespace {

bool Unusable(char c) {
  const auto u = static_cast<unsigned char>(c);
  return u <= 0x20 || u == 0x7f;
}

} // namespace

std::optional<HostAndPort> ParseHostAndPort(std::string_view text, int defaultPort,
                                            std::string &error) {
  if (text.empty() || std::any_of(text.begin(), text.end(), Unusable)) {
    error = "Invalid host name";
    return std::nullopt;
  }
  std::size_t hostEnd = text.size();
  if (text.front() == '[') {
    const std::size_t close = text.find(']');
    if (close == std::string_view::npos || (close + 1 < text.size() && text[close + 1] != ':')) {
      error = "Invalid host name";
      return std::nullopt;
    }
    hostEnd = close + 1;
  } else if (const std::size_t colon = text.find(':');
             colon != std::string_view::npos &&
             text.find(':', colon + 1) == std::string_view::npos) {
    hostEnd = colon; // more than one colon: an IPv6 literal without brackets, no port
  }
  HostAndPort result{std::string(text.substr(0, hostEnd)), defaultPort};
  if (result.host.empty() || result.host == "[]") {
    error = "Invalid host name";
    return std::nullopt;
  }
  const std::string_view port = hostEnd < text.size() ? text.substr(hostEnd + 1) : "";
  if (!port.empty()) {
    int value = 0;
    const auto [ptr, ec] = std::from_chars(port.data(), port.data() + port.size(), value);
    if (ec != std::errc() || ptr != port.data() + port.size() || value < 1 || value > 65535) {
      error = "Invalid port";
      return std::nullopt;
    }
    result.port = value;
  }
  return result;
}

} // namespace vidtrawl::resolve
