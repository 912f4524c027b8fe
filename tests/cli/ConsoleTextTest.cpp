#include "cli/ConsoleText.h"

#include <gtest/gtest.h>

#include <limits>

namespace vidtrawl::cli {
namespace {

TEST(ConsoleText, PiecesOfTheProgressLinesAndTheTable) {
  const std::pair<std::string, std::string> cases[] = {
      {ProgressBar(0, 10, false), "----------"},
      {ProgressBar(0.5, 10, false), "#####-----"},
      {ProgressBar(7, 4, false), "####"},
      {ProgressBar(-1, 4, false), "----"},
      {ProgressBar(0.5, 2, true), "█·"},
      {ProgressBar(0.25, 1, true), "▎"},
      {ProgressBar(0.999, 3, true), "██▉"},
      {ProgressBar(1, 3, true), "███"},
      {PercentText(0.425), " 42%"},
      {PercentText(1), "100%"},
      {DurationText(75), "1:15"},
      {DurationText(3725), "1:02:05"},
      {DurationText(-1), "--:--"},
      {ElapsedText(0.44), "0.4 s"},
      {ElapsedText(90), "1:30"},
      {RateText(0), ""},
      {RateText(1536), "1.5 KB/s"},
      {FitWidth("abc", 5), "abc  "},
      {FitWidthRight("abc", 5), "  abc"},
      {FitWidth("abcdef", 4), "abc~"},
      {FitWidth("ééééé", 3), "éé~"},
      {FitWidth("été", 3), "été"},
      {FitWidth("abc", 0), ""},
      {DurationText(std::numeric_limits<double>::infinity()), "--:--"}};
  for (const auto &[made, expected] : cases)
    EXPECT_EQ(made, expected);
}

} // namespace
} // namespace vidtrawl::cli
