// Addresses, host names, connection entries and time limits as the network
// layer reads them from text.
#include "net/ConnectionMap.h"
#include "net/HostAndPort.h"
#include "net/TimeLimits.h"
#include "net/UrlHelpers.h"

#include <gtest/gtest.h>

namespace vidtrawl::net {
namespace {

TEST(ConnectionMap, ParsesWellFormedAndRejectsMalformedEntries) {
  for (const char *text :
       {"a.com:80:127.0.0.1:8080", "::127.0.0.1:9", "a.com:::", ":80:[::1]:81", "[::1]:80:h:"})
    EXPECT_TRUE(ConnectionMap::ParseEntry(text).has_value()) << text;
  for (const char *text :
       {"", "a.com", "a.com:80", "a.com:80:b", "a:b:c:d", "a:80:b:99999", "a:80:b:0", "a:80:b:8:9",
        "[::1:80:b:1", "a b:80:c:1", "a:-1:b:2", "a:80:b/c:1", "[::1]x:80:b:1"})
    EXPECT_FALSE(ConnectionMap::ParseEntry(text).has_value()) << text;
}

TEST(ConnectionMap, FirstMatchingEntryWinsAndEmptyFieldsMatchAny) {
  ConnectionMap map;
  EXPECT_TRUE(map.AddList(" www.youtube.com:80:127.0.0.1:9001 , :443::8443,:80:[::1]:"));
  const struct {
    const char *host;
    int port;
    const char *toHost;
    int toPort;
  } cases[] = {{"WWW.YouTube.com", 80, "127.0.0.1", 9001},
               {"other", 443, "other", 8443},
               {"other", 80, "::1", 80},
               {"other", 21, "other", 21},
               {"[::2]", 21, "::2", 21}};
  for (const auto &c : cases) {
    const auto target = map.Resolve(c.host, c.port);
    EXPECT_EQ(target.host, c.toHost) << c.host << ":" << c.port;
    EXPECT_EQ(target.port, c.toPort) << c.host << ":" << c.port;
  }
  EXPECT_EQ(map.CurlEntries().front(), "www.youtube.com:80:127.0.0.1:9001");
  ConnectionMap partly;
  EXPECT_FALSE(partly.AddList("bad,a:1:b:2,,"));
  EXPECT_EQ(partly.CurlEntries(), std::vector<std::string>{"a:1:b:2"});
  ::setenv("VIDTRAWL_CONNECT_TO", "x.test:80:127.0.0.2:81", 1);
  EXPECT_EQ(ConnectionMap::FromEnvironment().Resolve("x.test", 80).port, 81);
  ::unsetenv("VIDTRAWL_CONNECT_TO");
  EXPECT_TRUE(ConnectionMap::FromEnvironment().Empty());
}

TEST(ParseHostAndPort, SplitsOffThePortOrSaysWhatIsWrong) {
  const std::pair<std::string, std::string> cases[] = {// "host port", or what is wrong
                                                       {"www.youtube.com", "www.youtube.com 80"},
                                                       {"h:8080", "h 8080"},
                                                       {"h:1", "h 1"},
                                                       {"h:65535", "h 65535"},
                                                       {"h:", "h 80"},
                                                       {"[::1]", "[::1] 80"},
                                                       {"[::1]:8081", "[::1] 8081"},
                                                       {"::1", "::1 80"},
                                                       {"", "host"},
                                                       {"evil\r\nX: 1", "host"},
                                                       {"a b", "host"},
                                                       {std::string("a\0b", 3), "host"},
                                                       {"a\x7f", "host"},
                                                       {":80", "host"},
                                                       {"[::1", "host"},
                                                       {"[::1]x", "host"},
                                                       {"[]:80", "host"},
                                                       {"h:0", "port"},
                                                       {"h:65536", "port"},
                                                       {"h:8o", "port"},
                                                       {"h:-1", "port"},
                                                       {"[::1]:http", "port"}};
  for (const auto &[text, result] : cases) {
    std::string error;
    const auto parsed = ParseHostAndPort(text, 80, error);
    EXPECT_EQ(parsed ? parsed->host + " " + std::to_string(parsed->port) : error,
              result.find(' ') != std::string::npos
                  ? result
                  : "Invalid " + result + (result == "host" ? " name" : ""))
        << text;
  }
}

TEST(TimeLimits, TheEnvironmentOnlyShortensTheLimits) {
  const struct {
    const char *text;
    long connect, silence;
  } cases[] = {
      {nullptr, 30000, 60000}, {"", 30000, 60000},    {"0.5", 500, 500},    {"45", 30000, 45000},
      {"90", 30000, 60000},    {"0", 30000, 60000},   {"-2", 30000, 60000}, {"2s", 30000, 60000},
      {"nan", 30000, 60000},   {"inf", 30000, 60000}, {"0.0001", 1, 1},     {"1e999", 30000, 60000},
  };
  for (const auto &c : cases) {
    const TimeLimits limits =
        TimeLimits::FromText(c.text ? std::optional<std::string_view>(c.text) : std::nullopt);
    EXPECT_EQ(limits.connect.count(), c.connect) << (c.text ? c.text : "(unset)");
    EXPECT_EQ(limits.silence.count(), c.silence) << (c.text ? c.text : "(unset)");
  }
}

TEST(UnescapeURL, DecodesEveryEscapeOnceUpTo1023Bytes) {
  std::string escapes;
  for (int i = 0; i < 1023; ++i)
    escapes += "%41";
  const std::pair<std::string, std::string> cases[] = {
      {"", ""},
      {"http%3A%2F%2Fhost%2fa", "http://host/a"},
      {"a%zzb", "a%zzb"},
      {"%g1%1g", "%g1%1g"},
      {"a%4", "a%4"},
      {"a%", "a%"},
      {"%41%42?x=%43#%44", "AB?x=C#D"},
      {"%aF%Af", "\xaf\xaf"},
      {"a+b%20c", "a+b c"},
      {"%2541", "%41"},
      {std::string("%00x", 4), std::string("\0x", 2)},
      {std::string(1023, 'a'), std::string(1023, 'a')},
      {std::string(1024, 'a'), ""},
      {escapes, std::string(1023, 'A')},
      {escapes + "%41", ""}};
  for (const auto &[in, out] : cases)
    EXPECT_EQ(UnescapeURL(in), out) << in.substr(0, 40);
}

TEST(SplitURL, SplitsHostAndPath) {
  const struct {
    std::string in, pathBefore, host, path;
  } cases[] = {
      {"http://www.example.com/watch/v?x=1&y=2", "keep", "www.example.com", "/watch/v?x=1&y=2"},
      {"HTTP://Host:8080/p", "keep", "Host:8080", "/p"},
      {"hTtP://h", "keep", "h", "keep"},
      {"example.com/a/b", "", "example.com", "/a/b"},
      {"https://secure.example/x", "", "https:", "//secure.example/x"},
      {"http://", "keep", "", "keep"},
      {"http:/", "keep", "http:", "/"},
      {"http://" + std::string(40000, 'h') + "/p", "", std::string(40000, 'h'), "/p"},
  };
  for (const auto &c : cases) {
    std::string host = c.in, path = c.pathBefore;
    SplitURL(host, path);
    EXPECT_EQ(host + " " + path, c.host + " " + c.path) << c.in.substr(0, 40);
  }
  EXPECT_EQ(TrimNull(std::string("abc\0def\0", 8)), "abc");
  EXPECT_EQ(TrimNull("abc"), "abc");
}

} // namespace
} // namespace vidtrawl::net
