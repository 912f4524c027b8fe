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

// A reference found in a page (relative or absolute) as an absolute http or
// https address, resolved against `base` (an absolute address); nothing when
// it is no such address.
std::optional<std::string> ResolveWebAddress(std::string_view base, std::string_view reference);

} // namespace vidtrawl::net
