#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace vidtrawl::net {

// The host text of an address ("host", "host:8080", "[::1]:8080") taken apart.
struct HostAndPort {
  std::string host; // as written, brackets of an IPv6 literal kept
  int port = 0;
};

// Splits the host text; defaultPort when it names none (or an empty one).
// Nullopt, with a description in error, when the text is empty, holds a blank
// or a control character (it would break the request apart), or names a port
// that is not a number from 1 to 65535.
std::optional<HostAndPort> ParseHostAndPort(std::string_view text, int defaultPort,
                                            std::string &error);

// A port number from 1 to 65535 written in decimal, nothing else.
std::optional<int> ParsePort(std::string_view text);

// A host as the resolver takes it: an IPv6 literal loses its brackets.
std::string WithoutBrackets(std::string_view host);

} // namespace vidtrawl::net
