#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vidtrawl::net {

// Redirects connections the way curl's --connect-to does: an entry
// "H1:P1:H2:P2" sends connections meant for H1:P1 to H2:P2. An empty H1 or
// P1 matches any host or port; an empty H2 or P2 keeps the original one.
// Hosts may be IPv6 literals in brackets ("[::1]").
class ConnectionMap {
public:
  struct Entry {
    std::string fromHost; // empty: any host
    std::string fromPort; // empty: any port
    std::string toHost;   // empty: the original host
    std::string toPort;   // empty: the original port
  };

  struct Target {
    std::string host;
    int port = 0;
  };

  // Parses one entry; nullopt when it is malformed.
  static std::optional<Entry> ParseEntry(std::string_view text);

  // Adds one entry; false (and nothing added) when it is malformed.
  bool Add(std::string_view text);

  // Adds every comma-separated entry of a list; false when any is malformed
  // (the well-formed ones are still added).
  bool AddList(std::string_view commaSeparated);

  // The map made from the VIDTRAWL_CONNECT_TO environment variable; malformed
  // entries are ignored.
  static ConnectionMap FromEnvironment();

  // Where a connection meant for host:port goes. The first matching entry wins.
  Target Resolve(const std::string &host, int port) const;

  // The entries in curl's CURLOPT_CONNECT_TO form.
  std::vector<std::string> CurlEntries() const;

  bool Empty() const { return entries_.empty(); }

  // Whether every connection, whatever its host and port, goes to a loopback
  // address (127.0.0.0/8, ::1 or localhost): then the machine's loopback is
  // all the network there is to reach.
  bool EverythingToLoopback() const;

private:
  std::vector<Entry> entries_;
};

} // namespace vidtrawl::net
