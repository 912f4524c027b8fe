// What the network layer reads from text: host names, connection entries,
// escaped addresses, time limits and a server's header lines.
#include "net/ConnectionMap.h"
#include "net/ContentDisposition.h"
#include "net/HeaderBlock.h"
#include "net/HostAndPort.h"
#include "net/TimeLimits.h"
#include "net/UrlHelpers.h"

#include <gtest/gtest.h>

#include <sstream>
#include <tuple>

namespace vidtrawl::net {
namespace {

TEST(ConnectionMap, ParsesEntriesAndTheFirstMatchingOneWins) {
  for (const char *text :
       {"a.com:80:127.0.0.1:8080", "::127.0.0.1:9", "a.com:::", ":80:[::1]:81", "[::1]:80:h:"})
    EXPECT_TRUE(ConnectionMap::ParseEntry(text).has_value()) << text;
  for (const char *text :
       {"", "a.com", "a.com:80", "a.com:80:b", "a:b:c:d", "a:80:b:99999", "a:80:b:0", "a:80:b:8:9",
        "[::1:80:b:1", "a b:80:c:1", "a:-1:b:2", "a:80:b/c:1", "[::1]x:80:b:1"})
    EXPECT_FALSE(ConnectionMap::ParseEntry(text).has_value()) << text;
  // The first matching entry wins; an empty field matches anything.
  ConnectionMap map;
  EXPECT_TRUE(map.AddList(" www.youtube.com:80:127.0.0.1:9001 , :443::8443,:80:[::1]:"));
  std::string to;
  for (const auto &[host, port] : {std::pair{"WWW.YouTube.com", 80},
                                   {"other", 443},
                                   {"other", 80},
                                   {"other", 21},
                                   {"[::2]", 21}}) {
    const auto target = map.Resolve(host, port);
    to += target.host + ":" + std::to_string(target.port) + " ";
  }
  EXPECT_EQ(to, "127.0.0.1:9001 other:8443 ::1:80 other:21 ::2:21 ");
  EXPECT_EQ(map.CurlEntries().front(), "www.youtube.com:80:127.0.0.1:9001");
  ConnectionMap partly;
  EXPECT_FALSE(partly.AddList("bad,a:1:b:2,,"));
  EXPECT_EQ(partly.CurlEntries(), std::vector<std::string>{"a:1:b:2"});
  ::setenv("VIDTRAWL_CONNECT_TO", "x.test:80:127.0.0.2:81", 1);
  EXPECT_EQ(ConnectionMap::FromEnvironment().Resolve("x.test", 80).port, 81);
  ::unsetenv("VIDTRAWL_CONNECT_TO");
  EXPECT_TRUE(ConnectionMap::FromEnvironment().Empty());
  std::string loopback; // all there is to reach when every host and port is taken there
  for (const char *list :
       {"a:80:127.3.0.1:1,localhost:80::,::[::1]:,a::b:", "", "a::b:1,::127.0.0.1:", ":::",
        ":80:127.0.0.1:", "::[::2]:", "::128.0.0.1:", "::LocalHost:"}) {
    ConnectionMap map;
    loopback += map.AddList(list) && map.EverythingToLoopback() ? "1" : "0";
  }
  EXPECT_EQ(loopback, "10000001");
}

// Each text gives "HOST PORT" or the reason it is refused.
TEST(ParseHostAndPort, SplitsOffThePortOrSaysWhatIsWrong) {
  const auto parse = [](const std::string &text) {
    std::string error;
    const auto parsed = ParseHostAndPort(text, 80, error);
    return parsed ? parsed->host + " " + std::to_string(parsed->port) : error;
  };
  const std::pair<const char *, const char *> cases[] = {
      {"a.com", "a.com 80"},   {"h:1", "h 1"},          {"h:65535", "h 65535"},
      {"h:", "h 80"},          {"[::1]", "[::1] 80"},   {"[::1]:8081", "[::1] 8081"},
      {"::1", "::1 80"},       {"h:0", "Invalid port"}, {"h:65536", "Invalid port"},
      {"h:8o", "Invalid port"}};
  for (const auto &[text, result] : cases)
    EXPECT_EQ(parse(text), result) << text; // "::1": no brackets, no port
  for (const char *text : {"", "evil\r\nX: 1", "a b", "a\x7f", ":80", "[::1", "[::1]x", "[]:80"})
    EXPECT_EQ(parse(text), "Invalid host name") << text;
}

TEST(TimeLimits, TheEnvironmentOnlyShortensTheLimits) {
  const std::tuple<const char *, long, long> cases[] = {
      // text, connect, silence
      {nullptr, 30000, 60000}, {"", 30000, 60000},    {"0.5", 500, 500},    {"45", 30000, 45000},
      {"90", 30000, 60000},    {"0", 30000, 60000},   {"-2", 30000, 60000}, {"2s", 30000, 60000},
      {"nan", 30000, 60000},   {"inf", 30000, 60000}, {"0.0001", 1, 1},     {"1e999", 30000, 60000},
  };
  for (const auto &[text, connect, silence] : cases) {
    const auto limits =
        TimeLimits::FromText(text ? std::optional<std::string_view>(text) : std::nullopt);
    EXPECT_EQ(limits.connect.count(), connect) << (text ? text : "(unset)");
    EXPECT_EQ(limits.silence.count(), silence) << (text ? text : "(unset)");
  }
}

TEST(UnescapeURL, DecodesEveryEscapeOnceUpTo1023Bytes) {
  std::string escapes;
  for (int i = 0; i < 1023; ++i)
    escapes += "%41";
  const std::pair<const char *, const char *> cases[] = {
      {"", ""},
      {"a%zzb", "a%zzb"},
      {"%g1%1g", "%g1%1g"},
      {"a%4", "a%4"},
      {"a%", "a%"},
      {"%aF%Af", "\xaf\xaf"},
      {"a+b%20c", "a+b c"},
      {"%2541", "%41"},
      {"%41%42?x=%43#%44", "AB?x=C#D"},
  };
  for (const auto &[in, out] : cases)
    EXPECT_EQ(UnescapeURL(in), out) << in;
  EXPECT_EQ(UnescapeURL("http%3A%2F%2Fhost%2fa"), "http://host/a");
  EXPECT_EQ(UnescapeURL(std::string("%00x", 4)), std::string("\0x", 2));
  EXPECT_EQ(UnescapeURL(std::string(1023, 'a')), std::string(1023, 'a'));
  EXPECT_EQ(UnescapeURL(std::string(1024, 'a')), "");
  EXPECT_EQ(UnescapeURL(escapes), std::string(1023, 'A'));
  EXPECT_EQ(UnescapeURL(escapes + "%41"), "");
}

TEST(ContentDisposition, OffersTheNameAloneWhateverItsForm) {
  const std::string longName = std::string(60, 'a') + "\xc3\xa9" + ".flv";
  const std::pair<std::string, std::string> cases[] = {
      {"attachment; filename=\"a b.flv\"", "a b.flv"},
      {"attachment; filename=a.flv; size=1000", "a.flv"},
      {"attachment; filename=\"a;b=\\\"c\\\".flv\"; size=1", "a;b=\"c\".flv"},
      {"inline;FILENAME = plain name.flv ", "plain name.flv"},
      {"filename=first.flv; filename=second.flv", "first.flv"},
      {"attachment; filename=\"" + longName + "\"", longName},
      {"attachment; filename=fallback.flv; filename*=UTF-8''%e2%82%ac%20rates.flv",
       "\xe2\x82\xac rates.flv"},
      {"attachment; filename*=iso-8859-1'en'caf%E9.flv", "caf\xc3\xa9.flv"},
      {"attachment; filename*=KOI8-R''x.flv; filename=y.flv", "y.flv"},
      {"attachment; filename*=UTF-8'x.flv; filename=y.flv", "y.flv"},
      {"attachment; filename*=UTF-8''; filename=y.flv", "y.flv"},
      {"attachment; name=\"field\"", ""},
      {"attachment; filename=\"unterminated", "unterminated"},
      {"attachment; filename=\"a\\", "a\\"}, // a backslash that escapes nothing
      {"", ""},
      {";;;==;", ""},
  };
  for (const auto &[value, name] : cases)
    EXPECT_EQ(FileNameOfContentDisposition(value), name) << value;
}

TEST(ReadSizeValue, AcceptsDecimalNumbersOnly) {
  std::istringstream numbers("0=0;123=123;  42\t=42;1.5=1.5;.5=0.5;7.=7;1e3=1000;2E+2=200;5e-1=0.5;"
                             "000012=12;4294967296=4294967296");
  for (std::string c; std::getline(numbers, c, ';');)
    EXPECT_EQ(ReadSizeValue(c.substr(0, c.find('='))), std::stod(c.substr(c.find('=') + 1))) << c;
  for (const char *text : {"", "  ", "-1", "+1", "abc", "12abc", "1 2", "0x10", ".", "e5", "1e",
                           "1e+", "1e999", "nan", "inf", "1,000"})
    EXPECT_FALSE(ReadSizeValue(text).has_value()) << text;
}

} // namespace
} // namespace vidtrawl::net
