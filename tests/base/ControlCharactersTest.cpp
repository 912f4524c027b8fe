#include "base/ControlCharacters.h"

#include <gtest/gtest.h>

namespace vidtrawl::base {
namespace {

constexpr const char *kStandIn = "\xEF\xBF\xBD";

TEST(VisibleText, ControlsAndBrokenBytesBecomeTheStandIn) {
  struct Case {
    std::string text;
    std::string shown; // '#' stands for U+FFFD
  };
  const Case cases[] = {
      {"http://a/b.flv?x=1", "http://a/b.flv?x=1"},
      {"\x1b]2;title\x07", "#]2;title#"},   // retitles a terminal
      {"a\x1b[2Jb", "a#[2Jb"},              // clears it
      {std::string("a\0b\x7f", 4), "a#b#"}, // C0 and DEL
      {"\xc2\x9b"
       "2J \xc2\x80\xc2\x9f",
       "#2J ##"}, // C1 written as UTF-8
      {"\x9b"
       "2J",
       "#2J"}, // a lone byte an 8-bit terminal reads as CSI
      {"\xc3\xa9t\xc3\xa9 \xc2\xa0 \xe2\x82\xac \xf0\x9f\x8e\xac \xef\xbf\xbd",
       "\xc3\xa9t\xc3\xa9 \xc2\xa0 \xe2\x82\xac \xf0\x9f\x8e\xac #"},             // text stays
      {"\xc0\x9b \xe0\x82\x9b \xed\xa0\x80 \xf4\x90\x80\x80", "## ### ### ####"}, // ill-formed
      {"a\xe2\x82", "a##"},                                                       // cut short
      {"\xe2\x82"
       "b\xc2",
       "##b#"},
  };
  for (const Case &c : cases) {
    std::string expected;
    for (const char ch : c.shown)
      expected += ch == '#' ? std::string(kStandIn) : std::string(1, ch);
    EXPECT_EQ(VisibleText(c.text), expected) << c.shown;
  }
}

} // namespace
} // namespace vidtrawl::base
