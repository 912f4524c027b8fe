#include "resolve/PageSearch.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

using namespace vidtrawl::resolve;

TEST(PageSearch, FindFromIsOneBasedAndIgnoresCase) {
  struct Case {
    std::string text, what;
    Pos start;
    std::optional<Pos> found;
  } cases[] = {
      {"abcABC", "bc", 1, 2},
      {"abcABC", "bc", 2, 2},
      {"abcABC", "bc", 3, 5},
      {"abcABC", "BC", 6, {}},
      {"abcABC", "c", 6, 6},
      {"abcABC", "a", 7, {}},
      {"abcABC", "a", 0, {}},
      {"abcABC", "a", -3, {}},
      {"", "a", 1, {}},
      {"abc", "", 1, {}},
      {"abc", "abcd", 1, {}},
      {"xHTTPx", "http", 1, 2},
      {std::string("a\0b", 3), "b", 1, 3},
  };
  for (const Case &c : cases)
    EXPECT_EQ(FindFrom(c.text, c.what, c.start), c.found)
        << c.text << " / " << c.what << " @" << c.start;
}

TEST(PageSearch, FindBackwardStaysWithinTheFirstCharacters) {
  struct Case {
    std::string text, what;
    Pos within;
    std::optional<Pos> found;
  } cases[] = {
      {"abcabc", "abc", 6, 4},  {"abcabc", "abc", 5, 1},  {"abcabc", "ABC", 3, 1},
      {"abcabc", "abc", 2, {}}, {"abcabc", "abc", 0, {}}, {"abcabc", "abc", -1, {}},
      {"abcabc", "abc", 99, 4}, {"abcabc", "", 6, {}},    {"", "a", 1, {}},
  };
  for (const Case &c : cases)
    EXPECT_EQ(FindBackward(c.text, c.what, c.within), c.found)
        << c.text << " / " << c.what << " @" << c.within;
}

TEST(PageSearch, MidRefusesImpossibleArguments) {
  EXPECT_EQ(Mid("hello", 2, 3), "ell");
  EXPECT_EQ(Mid("hello", 1, 0), "");
  EXPECT_EQ(Mid("hello", 5, 10), "o");
  EXPECT_EQ(Mid("hello", 6, 1), "");
  EXPECT_EQ(Mid("hello", 600, 1), "");
  EXPECT_EQ(Mid("hello", 0, 1), std::nullopt);
  EXPECT_EQ(Mid("hello", 1, -1), std::nullopt);
  EXPECT_EQ(Mid("hello", -4, 2), std::nullopt);
  EXPECT_EQ(MidToEnd("hello", 4), "lo");
  EXPECT_EQ(MidToEnd("hello", 6), "");
  EXPECT_EQ(MidToEnd("hello", 0), std::nullopt);
}

TEST(PageSearch, ContainsAndReplace) {
  EXPECT_TRUE(ContainsNoCase("xxHtTpxx", "http"));
  EXPECT_FALSE(ContainsNoCase("htt", "http"));
  EXPECT_EQ(ReplaceAll("a&amp;b&AMP;c&amp;", "&amp;", "&"), "a&b&AMP;c&"); // exact case
  EXPECT_EQ(ReplaceAll("aaa", "aa", "b"), "ba");                           // left to right
  EXPECT_EQ(ReplaceAll("$x$", "$", "&"), "&x&");
  EXPECT_EQ(ReplaceAll("abc", "", "z"), "abc");
}
