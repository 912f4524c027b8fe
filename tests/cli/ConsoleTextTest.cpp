#include "cli/ConsoleText.h"

#include <gtest/gtest.h>

namespace vidtrawl::cli {
namespace {

TEST(ConsoleText, AsciiBar) {
  EXPECT_EQ(ProgressBar(0, 10, false), "----------");
  EXPECT_EQ(ProgressBar(0.5, 10, false), "#####-----");
  EXPECT_EQ(ProgressBar(1, 10, false), "##########");
  EXPECT_EQ(ProgressBar(7, 4, false), "####");  // clamped
  EXPECT_EQ(ProgressBar(-1, 4, false), "----"); // clamped
}

TEST(ConsoleText, UnicodeBarHasTheWidthAndEighths) {
  for (double f : {0.0, 0.01, 0.33, 0.5, 0.999, 1.0})
    EXPECT_EQ(DisplayWidth(ProgressBar(f, 12, true)), 12u) << f;
  EXPECT_EQ(ProgressBar(0.5, 2, true), "█·");
  EXPECT_EQ(ProgressBar(0.25, 1, true), "▎");
}

TEST(ConsoleText, NumbersAndTimes) {
  EXPECT_EQ(PercentText(0.425), " 42%");
  EXPECT_EQ(PercentText(1), "100%");
  EXPECT_EQ(DurationText(0), "0:00");
  EXPECT_EQ(DurationText(75), "1:15");
  EXPECT_EQ(DurationText(3725), "1:02:05");
  EXPECT_EQ(DurationText(-1), "--:--");
  EXPECT_EQ(DurationText(1.0 / 0.0), "--:--");
  EXPECT_EQ(ElapsedText(0.44), "0.4 s");
  EXPECT_EQ(ElapsedText(12.06), "12.1 s");
  EXPECT_EQ(ElapsedText(90), "1:30");
  EXPECT_EQ(RateText(0), "");
  EXPECT_EQ(RateText(1536), "1.5 KB/s");
}

TEST(ConsoleText, FittingCountsCharactersNotBytes) {
  EXPECT_EQ(DisplayWidth("été"), 3u);
  EXPECT_EQ(FitWidth("abc", 5), "abc  ");
  EXPECT_EQ(FitWidthRight("abc", 5), "  abc");
  EXPECT_EQ(FitWidth("abcdef", 4), "abc~");
  EXPECT_EQ(FitWidth("ééééé", 3), "éé~");
  EXPECT_EQ(FitWidth("abc", 0), "");
}

} // namespace
} // namespace vidtrawl::cli
