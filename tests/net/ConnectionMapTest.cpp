#include "net/ConnectionMap.h"

#include <gtest/gtest.h>

#include <cstdlib>

using vidtrawl::net::ConnectionMap;

TEST(ConnectionMap, ParsesWellFormedAndRejectsMalformedEntries) {
  const char *good[] = {"a.com:80:127.0.0.1:8080", "::127.0.0.1:9", "a.com:::", ":80:[::1]:81",
                        "[::1]:80:localhost:"};
  for (const char *text : good)
    EXPECT_TRUE(ConnectionMap::ParseEntry(text).has_value()) << text;
  const char *bad[] = {
      "",         "a.com",      "a.com:80",    "a.com:80:b", "a:b:c:d", "a:80:b:99999",
      "a:80:b:0", "a:80:b:8:9", "[::1:80:b:1", "a b:80:c:1", "a:-1:b:2"};
  for (const char *text : bad)
    EXPECT_FALSE(ConnectionMap::ParseEntry(text).has_value()) << text;
}

TEST(ConnectionMap, FirstMatchingEntryWinsAndEmptyFieldsMatchAny) {
  ConnectionMap map;
  EXPECT_TRUE(map.AddList("www.youtube.com:80:127.0.0.1:9001, :443::8443,:80:[::1]:"));
  auto t = map.Resolve("WWW.YouTube.com", 80);
  EXPECT_EQ(t.host, "127.0.0.1");
  EXPECT_EQ(t.port, 9001);
  t = map.Resolve("other.example", 443);
  EXPECT_EQ(t.host, "other.example");
  EXPECT_EQ(t.port, 8443);
  t = map.Resolve("other.example", 80);
  EXPECT_EQ(t.host, "::1");
  EXPECT_EQ(t.port, 80);
  t = map.Resolve("other.example", 21);
  EXPECT_EQ(t.host, "other.example");
  EXPECT_EQ(t.port, 21);
  EXPECT_EQ(map.CurlEntries().front(), "www.youtube.com:80:127.0.0.1:9001");
}

TEST(ConnectionMap, ListWithAMalformedEntryKeepsTheGoodOnes) {
  ConnectionMap map;
  EXPECT_FALSE(map.AddList("bad,a:1:b:2,,"));
  ASSERT_EQ(map.Entries().size(), 1u);
  EXPECT_EQ(map.Resolve("a", 1).host, "b");
}

TEST(ConnectionMap, ReadsTheEnvironment) {
  ::setenv("VIDTRAWL_CONNECT_TO", "x.test:80:127.0.0.2:81", 1);
  const auto map = ConnectionMap::FromEnvironment();
  ::unsetenv("VIDTRAWL_CONNECT_TO");
  EXPECT_EQ(map.Resolve("x.test", 80).port, 81);
  EXPECT_TRUE(ConnectionMap::FromEnvironment().Empty());
}
