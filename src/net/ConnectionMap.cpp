#include "net/ConnectionMap.h"

#include "base/AsciiCase.h"
#include "net/HostAndPort.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>

#include <arpa/inet.h>

namespace vidtrawl::net {
namespace {

// Splits off one host field (possibly a bracketed IPv6 literal) followed by
// ':' or the end of the text. Returns false when the field is malformed.
bool TakeHost(std::string_view &rest, std::string &host, bool needColon) {
  std::size_t end = 0;
  if (!rest.empty() && rest.front() == '[') {
    const std::size_t close = rest.find(']');
    if (close == std::string_view::npos)
      return false;
    end = close + 1;
  } else {
    end = std::min(rest.find(':'), rest.size());
  }
  host.assign(rest.substr(0, end));
  if (host.find_first_of(" \t\r\n,/") != std::string::npos)
    return false;
  rest.remove_prefix(end);
  if (needColon) {
    if (rest.empty() || rest.front() != ':')
      return false;
    rest.remove_prefix(1);
  }
  return true;
}

bool TakePort(std::string_view &rest, std::string &port, bool needColon) {
  const std::size_t colon = rest.find(':');
  if (needColon && colon == std::string_view::npos)
    return false;
  const std::size_t end = needColon ? colon : rest.size();
  port.assign(rest.substr(0, end));
  if (!port.empty() && !ParsePort(port))
    return false;
  rest.remove_prefix(needColon ? end + 1 : end);
  return true;
}

std::string_view Trim(std::string_view text) {
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front())))
    text.remove_prefix(1);
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back())))
    text.remove_suffix(1);
  return text;
}

bool IsLoopback(const std::string &host) {
  const std::string bare = WithoutBrackets(host);
  in_addr v4{};
  in6_addr v6{};
  if (::inet_pton(AF_INET, bare.c_str(), &v4) == 1)
    return (ntohl(v4.s_addr) >> 24) == 127;
  if (::inet_pton(AF_INET6, bare.c_str(), &v6) == 1)
    return IN6_IS_ADDR_LOOPBACK(&v6);
  return base::EqualsIgnoringCase(bare, "localhost");
}

} // namespace

std::optional<ConnectionMap::Entry> ConnectionMap::ParseEntry(std::string_view text) {
  Entry entry;
  std::string_view rest = text;
  if (!TakeHost(rest, entry.fromHost, true) || !TakePort(rest, entry.fromPort, true) ||
      !TakeHost(rest, entry.toHost, true) || !TakePort(rest, entry.toPort, false) || !rest.empty())
    return std::nullopt;
  return entry;
}

bool ConnectionMap::Add(std::string_view text) {
  auto entry = ParseEntry(text);
  if (!entry)
    return false;
  entries_.push_back(std::move(*entry));
  return true;
}

bool ConnectionMap::AddList(std::string_view commaSeparated) {
  bool allGood = true;
  while (!commaSeparated.empty()) {
    const std::size_t comma = std::min(commaSeparated.find(','), commaSeparated.size());
    const std::string_view item = Trim(commaSeparated.substr(0, comma));
    if (!item.empty() && !Add(item))
      allGood = false;
    commaSeparated.remove_prefix(std::min(comma + 1, commaSeparated.size()));
  }
  return allGood;
}

ConnectionMap ConnectionMap::FromEnvironment() {
  ConnectionMap map;
  if (const char *value = std::getenv("VIDTRAWL_CONNECT_TO"))
    map.AddList(value);
  return map;
}

ConnectionMap::Target ConnectionMap::Resolve(const std::string &host, int port) const {
  const std::string portText = std::to_string(port);
  for (const Entry &entry : entries_) {
    if (!entry.fromHost.empty() && !base::EqualsIgnoringCase(entry.fromHost, host))
      continue;
    if (!entry.fromPort.empty() && entry.fromPort != portText)
      continue;
    return Target{WithoutBrackets(entry.toHost.empty() ? host : entry.toHost),
                  entry.toPort.empty() ? port : ParsePort(entry.toPort).value_or(port)};
  }
  return Target{WithoutBrackets(host), port};
}

bool ConnectionMap::EverythingToLoopback() const {
  // Up to the first entry that takes every host and port, each one that comes
  // before it may take some: all of them must lead to loopback.
  for (const Entry &entry : entries_) {
    if (!IsLoopback(entry.toHost.empty() ? entry.fromHost : entry.toHost))
      return false;
    if (entry.fromHost.empty() && entry.fromPort.empty())
      return true;
  }
  return false;
}

std::vector<std::string> ConnectionMap::CurlEntries() const {
  std::vector<std::string> result;
  result.reserve(entries_.size());
  for (const Entry &e : entries_)
    result.push_back(e.fromHost + ":" + e.fromPort + ":" + e.toHost + ":" + e.toPort);
  return result;
}

} // namespace vidtrawl::net
