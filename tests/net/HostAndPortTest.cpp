#include "net/HostAndPort.h"

#include <gtest/gtest.h>

using vidtrawl::net::ParseHostAndPort;

TEST(ParseHostAndPort, SplitsOffThePort) {
  struct Case {
    std::string text, host;
    int port;
  } cases[] = {
      {"www.youtube.com", "www.youtube.com", 80},
      {"www.youtube.com:8080", "www.youtube.com", 8080},
      {"127.0.0.1:1", "127.0.0.1", 1},
      {"host:65535", "host", 65535},
      {"host:", "host", 80},
      {"[::1]", "[::1]", 80},
      {"[::1]:8081", "[::1]", 8081},
      {"::1", "::1", 80}, // an IPv6 literal without brackets names no port
  };
  for (const auto &c : cases) {
    std::string error;
    const auto parsed = ParseHostAndPort(c.text, 80, error);
    ASSERT_TRUE(parsed) << c.text << ": " << error;
    EXPECT_EQ(parsed->host, c.host) << c.text;
    EXPECT_EQ(parsed->port, c.port) << c.text;
  }
}

TEST(ParseHostAndPort, RejectsUnusableHostText) {
  struct Case {
    std::string text, error;
  } cases[] = {
      {"", "Invalid host name"},       {"evil\r\nX-Injected: 1", "Invalid host name"},
      {"a b", "Invalid host name"},    {std::string("a\0b", 3), "Invalid host name"},
      {"a\tb", "Invalid host name"},   {"a\x7f", "Invalid host name"},
      {":80", "Invalid host name"},    {"[::1", "Invalid host name"},
      {"[::1]x", "Invalid host name"}, {"[]:80", "Invalid host name"},
      {"host:0", "Invalid port"},      {"host:65536", "Invalid port"},
      {"host:8o", "Invalid port"},     {"host:-1", "Invalid port"},
      {"[::1]:http", "Invalid port"},
  };
  for (const auto &c : cases) {
    std::string error;
    EXPECT_FALSE(ParseHostAndPort(c.text, 80, error)) << c.text;
    EXPECT_EQ(error, c.error) << c.text;
  }
}
