#include "net/HostAndPort.h"

#include "base/ControlCharacters.h"
#include "base/NumberScan.h"

namespace vidtrawl::net {

std::optional<int> ParsePort(std::string_view text) {
  const auto port = base::ParseInteger<int>(text);
  if (!port || *port < 1 || *port > 65535)
    return std::nullopt;
  return port;
}

std::string WithoutBrackets(std::string_view host) {
  if (host.size() > 2 && host.front() == '[' && host.back() == ']')
    host = host.substr(1, host.size() - 2);
  return std::string(host);
}

std::optional<HostAndPort> ParseHostAndPort(std::string_view text, int defaultPort,
                                            std::string &error) {
  if (text.empty() || base::HasControlCharacter(text) || text.find(' ') != std::string_view::npos) {
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
    const std::optional<int> value = ParsePort(port);
    if (!value) {
      error = "Invalid port";
      return std::nullopt;
    }
    result.port = *value;
  }
  return result;
}

} // namespace vidtrawl::net
