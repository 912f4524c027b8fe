// The console's pieces of lines; what it shows as a whole is seen in the program's own runs.
#include "base/ControlCharacters.h"
#include "cli/ConsoleText.h"

#include <gtest/gtest.h>

namespace vidtrawl::cli {
namespace {

// Bars that never overflow, times that may be unknown, texts cut at a character, not a byte.
TEST(ConsoleText, BarsTimesAndFittedTexts) {
  const std::pair<std::string, std::string> cases[] = {
      {ProgressBar(7, 4, false), "####"},
      {ProgressBar(0.999, 3, true), "██▉"},
      {DurationText(1.0 / 0.0), "--:--"},
      {FitWidth("ééééé", 3), "éé~"},
      {FitWidth("abc", 0), ""},
      // The last characters of two and three bytes (U+07FF, U+FF01), and one that ends the text.
      {base::VisibleText("\xDF\xBF\xEF\xBC\x81\xC3\xA9"), "\xDF\xBF\xEF\xBC\x81\xC3\xA9"},
      // A right-to-left override in an address shows as what it is.
      {base::VisibleText("a\xE2\x80\xAE"
                         "b"),
       "a\xEF\xBF\xBD"
       "b"},
  };
  for (const auto &[made, expected] : cases)
    EXPECT_EQ(made, expected);
}

} // namespace
} // namespace vidtrawl::cli
