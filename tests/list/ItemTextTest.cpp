// The texts an item carries: its file name, its size and its status.
#include "list/CleanFileName.h"
#include "list/FormatSize.h"
#include "list/Status.h"
#include "list/StatusKind.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <limits>

namespace vidtrawl::list {
namespace {

TEST(CleanFileName, RemovesWhatNoNameMayHoldAndLeadingDotsAndBlanks) {
  const std::pair<std::string, std::string> cases[] = {
      {"Me & you?.flv", "Me  you.flv"},
      {"\\/:*?\"<>|&x", "x"},
      {" Clip .FLV ", "Clip .FLV "}, // case kept
      {".bashrc", "bashrc"},         // never a hidden file
      {" . .x", "x"},
      {"a..b", "a..b"},
      {"../../x.flv", "x.flv"}, // stays in the folder
      {std::string("a\0b.flv", 7), "ab.flv"},
      {"a\tb\r\nc\x1f\x7f.flv", "abc.flv"},
      {" \x80\xff", "\x80\xff"}, // other bytes stay
      {std::string(300, 'n'), std::string(300, 'n')},
  };
  for (const auto &[in, out] : cases)
    EXPECT_EQ(CleanFileName(in), out) << in;
  for (const std::string &in :
       std::vector<std::string>{"", "???", "/", ".", "..", "/..", " . ", std::string("..\0", 3)})
    EXPECT_EQ(CleanFileName(in), "Enter File Name") << in;
}

TEST(FormatSize, UnitsAndRoundingHalfToEven) {
  const double kTera = 1099511627776.0;
  const std::pair<double, std::string> cases[] = {
      {0, "0 Bytes"},
      {-0.0, "0 Bytes"},
      {1023.5, "1023.5 Bytes"},
      {-1, "-1 Bytes"},
      {100000 - 1e9, "-999900032 Bytes"}, // held in single precision
      {-1e300, "-1e+300 Bytes"},
      {1024, "1 KB"},
      {1280, "1.2 KB"}, // 1.25
      {1792, "1.8 KB"}, // 1.75
      {1331.2, "1.3 KB"},
      {2047, "2 KB"},
      {1048575, "1024 KB"},
      {1048576, "1 MB"},
      {1310720, "1.2 MB"},
      {1073741823, "1 GB"},   // held in single precision: 1073741824
      {2415919104, "2.2 GB"}, // 2.25
      {kTera - 1048576, "1024 GB"},
      {kTera, ""},
      {1e300, ""},
      {std::numeric_limits<double>::quiet_NaN(), ""},
  };
  for (const auto &[bytes, text] : cases)
    EXPECT_EQ(FormatSize(bytes, "."), text) << bytes;
  EXPECT_EQ(FormatSize(1310720, ","), "1,2 MB");
  EXPECT_EQ(FormatSize(1048575, ","), "1024 KB"); // no thousands separator
}

TEST(FormatSize, TheCurrentLocalesDecimalSeparator) {
  const std::string saved = std::setlocale(LC_NUMERIC, nullptr);
  ASSERT_NE(std::setlocale(LC_NUMERIC, "C"), nullptr);
  EXPECT_EQ(FormatSize(1536), "1.5 KB");
#ifdef VIDTRAWL_TEST_LOCPATH
  ::setenv("LOCPATH", VIDTRAWL_TEST_LOCPATH, 1); // a locale with a decimal comma, built for this
#endif
  const bool comma = std::setlocale(LC_NUMERIC, "de_DE.UTF-8") != nullptr;
  if (comma) {
    EXPECT_EQ(FormatSize(1536), "1,5 KB");
  }
  std::setlocale(LC_NUMERIC, saved.c_str());
  ::unsetenv("LOCPATH");
  if (!comma)
    GTEST_SKIP() << "no locale with a decimal comma";
}

TEST(StatusKind, EveryStatusTextIsReadOnce) {
  using K = StatusKind;
  const std::optional<int> none;
  const struct {
    const char *status;
    StatusKind kind;
    std::optional<int> percent;
  } cases[] = {
      {"Waiting", K::Waiting, none},
      {"Link is not supported", K::Unsupported, none},
      {"Preparing (0%)", K::Fetching, 0},
      {"Preparing...", K::Fetching, none},
      {"Preparing (x%)", K::Other, none},
      {"Start Downloading...", K::Preparing, none},
      {"007", K::Progress, 7},
      {"99999999999999999999", K::Progress, 1000000},
      {"x so far..", K::Progress, none},
      {" so far..", K::Other, none},
      {"Complete", K::Complete, none},
      {"ERROR", K::Error, none},
      {"Cancelled", K::Cancelled, none},
      {"complete", K::Other, none},
      {"Complete ", K::Other, none},
      {"", K::Other, none},
      {"4.2", K::Other, none},
  };
  for (const auto &c : cases) {
    EXPECT_EQ(ClassifyStatus(c.status).kind, c.kind) << c.status;
    EXPECT_EQ(ClassifyStatus(c.status).percent, c.percent) << c.status;
  }
}

} // namespace
} // namespace vidtrawl::list
