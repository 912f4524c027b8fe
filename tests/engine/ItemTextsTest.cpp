// The texts the one formatter makes of an item, as users and scripts see them, and of sizes.
#include "engine/ItemTexts.h"
#include "engine/FormatSize.h"

#include <gtest/gtest.h>

#include <clocale>
#include <sstream>

// Items are written with designated initializers that name only the fields a row sets.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

namespace vidtrawl::engine {
namespace {

// The texts of every state, as users and scripts see them.
TEST(ItemText, EveryStateHasItsTexts) {
  using base::FaultKind;
  const auto failed = [](FaultKind kind, bool ofPage = false) {
    base::Fault fault{kind, "words"};
    fault.ofPage = ofPage;
    return ItemView{.phase = Phase::Failed, .fault = fault};
  };
  const std::pair<ItemView, const char *> cases[] = {
      {{.phase = Phase::Waiting}, "Waiting|Waiting (Auto Detect)|????|http://site/page|"},
      {{.phase = Phase::Unsupported}, "Link is not supported|ERROR|????|http://site/page|"},
      {{.phase = Phase::Resolving, .pagePercent = 0},
       "Preparing (0%)|Waiting (Auto Detect)|????|http://site/page|"},
      {{.phase = Phase::Resolving}, "Preparing...|Waiting (Auto Detect)|????|http://site/page|"},
      {{.phase = Phase::Resolving, .pagePercent = 101},
       "Preparing...|Waiting (Auto Detect)|????|http://site/page|"},
      {{.phase = Phase::Asking, .fileName = "v.flv", .sizeKnown = SizeKnown::NotReported},
       "Start Downloading...|v.flv|0|http://site/page|"},
      // Set up, its transfer has said nothing yet.
      {{.phase = Phase::Receiving, .received = 1250, .total = 10000},
       "Start Downloading...|Waiting (Auto Detect)|????|http://site/page|"},
      // 12.5 %: halves go to the even neighbour.
      {{.phase = Phase::Receiving,
        .sizeKnown = SizeKnown::Bytes,
        .size = 10000,
        .started = true,
        .received = 1250,
        .total = 10000},
       "12|Waiting (Auto Detect)|9.8 KB|http://site/page|"},
      // A stream: its bytes of its estimated size (62.5 %), its fragments while there is none.
      {{.phase = Phase::Receiving,
        .started = true,
        .received = 1250,
        .total = 2000,
        .fragments = 8,
        .fragmentsStored = 2},
       "62|Waiting (Auto Detect)|????|http://site/page|"},
      {{.phase = Phase::Receiving,
        .started = true,
        .received = 1250,
        .fragments = 8,
        .fragmentsStored = 2},
       "25|Waiting (Auto Detect)|????|http://site/page|"},
      {{.phase = Phase::Receiving, .started = true, .received = 1536},
       "1.5 KB so far..|Waiting (Auto Detect)|????|http://site/page|"},
      {{.phase = Phase::Asking, .retryIn = 65},
       "Retry in 1:05|Waiting (Auto Detect)|????|http://site/page|"},
      {{.phase = Phase::Complete}, "Complete|Waiting (Auto Detect)|????|http://site/page|"},
      {{.phase = Phase::Cancelled}, "Cancelled|Waiting (Auto Detect)|????|http://site/page|"},
      {failed(FaultKind::UnsupportedSite),
       "ERROR|Un supported link|????|http://site/page|the address belongs to no supported site"},
      {failed(FaultKind::SitePageNamesNoVideo),
       "ERROR|Process failed.|????|Video may be inappropriate and can not be downloaded|the "
       "page names no video"},
      {failed(FaultKind::PlayerLookup),
       "ERROR|Process failed.|????|Video may be inappropriate and can not be downloaded|"
       "YouTube's player host gave no video address: words"},
      {failed(FaultKind::HostedVideo),
       "ERROR|Process failed.|????|http://site/page|the video is hosted on words"},
      {failed(FaultKind::FileMissing),
       "ERROR|Waiting (Auto Detect)|????|http://site/page|the server reported no such file "
       "(words)"},
      {failed(FaultKind::HttpStatus, true),
       "ERROR|Waiting (Auto Detect)|????|http://site/page|the page could not be fetched: words"},
      {failed(FaultKind::LocalFile), "ERROR|Waiting (Auto Detect)|????|http://site/page|words"},
      {{.phase = Phase::Failed, .sizeKnown = SizeKnown::Missing},
       "ERROR|Waiting (Auto Detect)|-1 Bytes|http://site/page|"},
  };
  for (auto [it, texts] : cases) {
    it.address = "http://site/page";
    EXPECT_EQ(StatusText(it) + "|" + FileNameText(it) + "|" + SizeText(it) + "|" + AddressText(it) +
                  "|" + ReasonText(it),
              texts);
  }
  EXPECT_EQ(ResolutionText("http://v", std::nullopt) + ResolutionText({}, ItemView{}.fault) +
                ResolutionText({}, base::Fault{FaultKind::UnsupportedSite, {}}) +
                ResolutionText({}, base::Fault{FaultKind::PlayerLookup, {}}) +
                ResolutionText({}, base::Fault{FaultKind::HostedVideo, {}}),
            "http://v-2-100");
}

// "bytes:text;..."; sizes are held in single precision (1073741823 as 2^30),
// halves round to even (1280 is 1.25 KB), and every size a 64-bit file can
// have has a text.
TEST(FormatSize, UnitsAndRoundingHalfToEven) {
  std::istringstream cases(
      "0:0 Bytes;-0:0 Bytes;1023.5:1023.5 Bytes;-1:-1 Bytes;-1e300:-1e+300 Bytes;"
      "-999900000:-999900032 Bytes;1024:1 KB;1280:1.2 KB;1792:1.8 KB;"
      "1331.2:1.3 KB;2047:2 KB;1048575:1024 KB;1048576:1 MB;1310720:1.2 MB;"
      "1073741823:1 GB;2415919104:2.2 GB;1099510579200:1024 GB;"
      "1099511627776:1 TB;1649267441664:1.5 TB;1125899906842624:1 PB;"
      "9223372036854775807:8 EB;1e300:;nan:");
  for (std::string c; std::getline(cases, c, ';');)
    EXPECT_EQ(FormatSize(std::stod(c), "."), c.substr(c.find(':') + 1)) << c;
  EXPECT_EQ(FormatSize(1310720, ","), "1,2 MB");
  EXPECT_EQ(FormatSize(1048575, ","), "1024 KB"); // no thousands separator
  // The current locale's separator, from a locale with a decimal comma built for the tests.
  const std::string saved = std::setlocale(LC_NUMERIC, nullptr);
  ASSERT_NE(std::setlocale(LC_NUMERIC, "C"), nullptr);
  EXPECT_EQ(FormatSize(1536), "1.5 KB");
#ifdef VIDTRAWL_TEST_LOCPATH
  ::setenv("LOCPATH", VIDTRAWL_TEST_LOCPATH, 1);
  ASSERT_NE(std::setlocale(LC_NUMERIC, "de_DE.UTF-8"), nullptr);
  EXPECT_EQ(FormatSize(1536), "1,5 KB");
  std::setlocale(LC_NUMERIC, saved.c_str());
  ::unsetenv("LOCPATH");
#endif
}

} // namespace
} // namespace vidtrawl::engine
