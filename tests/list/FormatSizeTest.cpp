#include "list/FormatSize.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>
#include <cmath>
#include <limits>
#include <string>

using vidtrawl::list::FormatSize;
using vidtrawl::list::LocaleDecimalSeparator;

TEST(FormatSize, UnitsAndRounding) {
  const double kTera = 1099511627776.0;
  struct Case {
    double bytes;
    std::string text;
  } cases[] = {
      {0, "0 Bytes"},
      {-0.0, "0 Bytes"},
      {1, "1 Bytes"},
      {100000 - 1e9, "-999900032 Bytes"}, // held in single precision
      {1023, "1023 Bytes"},
      {1023.5, "1023.5 Bytes"},
      {-1, "-1 Bytes"},
      {-1e10, "-1e+10 Bytes"},
      {1024, "1 KB"},
      {1100, "1.1 KB"}, // 1.0742...
      {1280, "1.2 KB"}, // 1.25: tie to even
      {1536, "1.5 KB"},
      {1792, "1.8 KB"},     // 1.75: tie to even
      {2047, "2 KB"},       // 1.999...
      {10342, "10.1 KB"},   // 10.0996...
      {1048575, "1024 KB"}, // 1023.999...
      {1048576, "1 MB"},
      {1310720, "1.2 MB"}, // 1.25
      {1835008, "1.8 MB"}, // 1.75
      {2883584, "2.8 MB"}, // 2.75
      {1073741824, "1 GB"},
      {1073741823, "1 GB"},         // held in single precision: 1073741824
      {1342177280, "1.2 GB"},       // 1.25
      {2415919104, "2.2 GB"},       // 2.25
      {kTera - 1048576, "1024 GB"}, // 1023.999...
      {kTera, ""},
      {kTera * 4, ""},
      {1e300, ""},
      {-1e300, "-1e+300 Bytes"},
  };
  for (const Case &c : cases)
    EXPECT_EQ(FormatSize(c.bytes, "."), c.text) << c.bytes;
}

TEST(FormatSize, NotANumberOrInfiniteGivesEmptyText) {
  EXPECT_EQ(FormatSize(std::numeric_limits<double>::quiet_NaN(), "."), "");
  EXPECT_EQ(FormatSize(std::numeric_limits<double>::infinity(), "."), "");
  EXPECT_EQ(FormatSize(-std::numeric_limits<double>::infinity(), "."), "");
}

TEST(FormatSize, DecimalSeparatorIsTheGivenOne) {
  EXPECT_EQ(FormatSize(1280, ","), "1,2 KB");
  EXPECT_EQ(FormatSize(1310720, ","), "1,2 MB");
  EXPECT_EQ(FormatSize(1023.5, ","), "1023,5 Bytes");
  EXPECT_EQ(FormatSize(1024, ","), "1 KB");
  EXPECT_EQ(FormatSize(1048575, ","), "1024 KB"); // no thousands separator
}

TEST(FormatSize, UsesTheCurrentLocale) {
  const std::string saved = std::setlocale(LC_NUMERIC, nullptr);
  ASSERT_NE(std::setlocale(LC_NUMERIC, "C"), nullptr);
  EXPECT_EQ(LocaleDecimalSeparator(), ".");
  EXPECT_EQ(FormatSize(1536), "1.5 KB");
#ifdef VIDTRAWL_TEST_LOCPATH
  // The build compiled a locale with a decimal comma for this test.
  ::setenv("LOCPATH", VIDTRAWL_TEST_LOCPATH, 1);
#endif
  const char *comma = nullptr;
  for (const char *name : {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "de_DE", "nl_NL.UTF-8"})
    if (std::setlocale(LC_NUMERIC, name) != nullptr) {
      comma = name;
      break;
    }
  if (comma != nullptr) {
    EXPECT_EQ(LocaleDecimalSeparator(), ",") << comma;
    EXPECT_EQ(FormatSize(1536), "1,5 KB") << comma;
  }
  std::setlocale(LC_NUMERIC, saved.c_str());
#ifdef VIDTRAWL_TEST_LOCPATH
  ::unsetenv("LOCPATH");
#endif
  if (comma == nullptr)
    GTEST_SKIP() << "no locale with a decimal comma installed";
}
