#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace vidtrawl::net {

// An http or https address taken apart, as curl reads it.
struct WebAddress {
  std::string host;  // in lower case, without a user part or a port
  std::string path;  // "/" at least
  std::string query; // without its "?"; empty when there is none
};

// The parts of an absolute http or https address; nothing for any other
// text (another scheme, no host, a blank or a control character in it).
std::optional<WebAddress> ParseWebAddress(std::string_view text);

} // namespace vidtrawl::net
