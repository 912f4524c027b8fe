#include "net/UrlHelpers.h"

#include <gtest/gtest.h>

using namespace vidtrawl::net;

TEST(UnescapeURL, DecodesEscapesEverywhereAndKeepsTheRest) {
  struct Case {
    std::string in, out;
  } cases[] = {
      {"", ""},
      {"http%3A%2F%2Fhost%2fa", "http://host/a"},
      {"a%zzb", "a%zzb"}, // not hexadecimal: unchanged
      {"a%4", "a%4"},     // too short at the end
      {"a%", "a%"},
      {"%41%42?x=%43#%44", "AB?x=C#D"},
      {"a+b%20c", "a+b c"}, // "+" stays
      {"%2541", "%41"},     // decoded once only
      {std::string("%00x", 4), std::string("\0x", 2)},
  };
  for (const auto &c : cases)
    EXPECT_EQ(UnescapeURL(c.in), c.out) << c.in;
}

TEST(UnescapeURL, DecodedLengthLimit) {
  EXPECT_EQ(UnescapeURL(std::string(1023, 'a')), std::string(1023, 'a'));
  EXPECT_EQ(UnescapeURL(std::string(1024, 'a')), "");
  // The limit applies to the decoded form: 1,023 escapes decode to 1,023 bytes.
  std::string escaped;
  for (int i = 0; i < 1023; ++i)
    escaped += "%41";
  EXPECT_EQ(UnescapeURL(escaped), std::string(1023, 'A'));
  EXPECT_EQ(UnescapeURL(escaped + "%41"), "");
}

TEST(SplitURL, SplitsHostAndPath) {
  struct Case {
    std::string in, pathBefore, host, path;
  } cases[] = {
      {"http://www.example.com/watch/v?x=1&y=2", "keep", "www.example.com", "/watch/v?x=1&y=2"},
      {"HTTP://Host:8080/p", "keep", "Host:8080", "/p"},
      {"hTtP://h", "keep", "h", "keep"},
      {"example.com", "keep", "example.com", "keep"},
      {"example.com/a/b", "", "example.com", "/a/b"},
      {"https://secure.example/x", "", "https:", "//secure.example/x"},
      {"http://", "keep", "", "keep"},
      {"", "keep", "", "keep"},
      {"http:/", "keep", "http:", "/"},
  };
  for (const auto &c : cases) {
    std::string host = c.in, path = c.pathBefore;
    SplitURL(host, path);
    EXPECT_EQ(host, c.host) << c.in;
    EXPECT_EQ(path, c.path) << c.in;
  }
}

TEST(SplitURL, NoPositionLimitOnLongHosts) {
  std::string host = "http://" + std::string(40000, 'h') + "/path";
  std::string path;
  SplitURL(host, path);
  EXPECT_EQ(host.size(), 40000u);
  EXPECT_EQ(path, "/path");
}

TEST(TrimNull, CutsAtFirstNul) {
  EXPECT_EQ(TrimNull("abc"), "abc");
  EXPECT_EQ(TrimNull(std::string("abc\0def\0", 8)), "abc");
  EXPECT_EQ(TrimNull(std::string("\0abc", 4)), "");
  EXPECT_EQ(TrimNull(""), "");
}
