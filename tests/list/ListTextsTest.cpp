// The texts one formatter makes of an item's state, and the names and size texts of files.
#include "list/CleanFileName.h"
#include "list/FileNaming.h"
#include "list/FormatSize.h"
#include "list/ItemText.h"

#include <gtest/gtest.h>

#include <clocale>
#include <sstream>

// Items are written with designated initializers that name only the fields a row sets.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

namespace vidtrawl::list {
namespace {

// The texts of every state, as users and scripts see them.
TEST(ItemText, EveryStateHasItsTexts) {
  using base::FaultKind;
  const auto failed = [](FaultKind kind, bool pageRead = true) {
    return Item{.phase = Phase::Failed, .pageRead = pageRead, .fault = base::Fault{kind, "words"}};
  };
  const std::pair<Item, const char *> cases[] = {
      {{.phase = Phase::Waiting}, "Waiting|Waiting (Auto Detect)|????|http://site/page|"},
      {{.phase = Phase::Unsupported}, "Link is not supported|ERROR|????|http://site/page|"},
      {{.phase = Phase::Preparing, .pagePercent = 0},
       "Preparing (0%)|Waiting (Auto Detect)|????|http://site/page|"},
      {{.phase = Phase::Preparing}, "Preparing...|Waiting (Auto Detect)|????|http://site/page|"},
      {{.phase = Phase::Preparing, .pagePercent = 101},
       "Preparing...|Waiting (Auto Detect)|????|http://site/page|"},
      {{.phase = Phase::Preparing,
        .fileName = "v.flv",
        .sizeKnown = SizeKnown::NotReported,
        .pageRead = true},
       "Start Downloading...|v.flv|0|http://site/page|"},
      // 12.5 %: halves go to the even neighbour.
      {{.phase = Phase::Transferring,
        .sizeKnown = SizeKnown::Bytes,
        .size = 10000,
        .received = 1250,
        .total = 10000},
       "12|Waiting (Auto Detect)|9.8 KB|http://site/page|"},
      // A stream: its fragments count, not the guess at its size.
      {{.phase = Phase::Transferring,
        .received = 1250,
        .total = 2000,
        .fragments = 8,
        .fragmentsStored = 2},
       "25|Waiting (Auto Detect)|????|http://site/page|"},
      {{.phase = Phase::Transferring, .received = 1536},
       "1.5 KB so far..|Waiting (Auto Detect)|????|http://site/page|"},
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
      {failed(FaultKind::HttpStatus, false),
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
  EXPECT_EQ(ResolutionText("http://v", std::nullopt) + ResolutionText({}, Item{}.fault) +
                ResolutionText({}, base::Fault{FaultKind::UnsupportedSite, {}}) +
                ResolutionText({}, base::Fault{FaultKind::PlayerLookup, {}}) +
                ResolutionText({}, base::Fault{FaultKind::HostedVideo, {}}),
            "http://v-2-100");
}

// Case and bytes above 127 stay; names never start hidden nor leave the folder.
TEST(CleanFileName, RemovesWhatNoNameMayHoldAndLeadingDotsAndBlanks) {
  const std::pair<std::string, std::string> cases[] = {
      {"Me & you?.flv", "Me  you.flv"},
      {"\\/:*?\"<>|&x", "x"},
      {" Clip .FLV ", "Clip .FLV "},
      {".bashrc", "bashrc"},
      {" . .x", "x"},
      {"a..b", "a..b"},
      {"../../x.flv", "x.flv"},
      {std::string("a\0b.flv", 7), "ab.flv"},
      {"a\tb\r\nc\x1f\x7f.flv", "abc.flv"},
      {" \x80\xff", "\x80\xff"},
      // Invisible characters that change how a name reads go; the joiners scripts need stay.
      {"clip\xe2\x80\xaevlf.exe", "clipvlf.exe"},
      {"\xe2\x81\xa6\xe2\x81\xa0"
       "a\xe2\x80\x8b\xef\xbb\xbf"
       "b\xc2\x80\xc2\x9f\xf3\xa0\x80\x81.flv",
       "ab.flv"},
      {"\xf0\x9f\x91\xa8\xe2\x80\x8d\xf0\x9f\x92\xbb",
       "\xf0\x9f\x91\xa8\xe2\x80\x8d\xf0\x9f\x92\xbb"},
      {std::string(300, 'n'), std::string(300, 'n')}};
  for (const auto &[in, out] : cases)
    EXPECT_EQ(CleanFileName(in), out) << in;
  for (const std::string &in :
       std::vector<std::string>{"", "???", "/", ".", "..", "/..", " . ", std::string("..\0", 3)})
    EXPECT_EQ(CleanFileName(in), "Enter File Name") << in;
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

// A video extension in the address beats the server's name; long names are cut at a character
// keeping their extension (after ".flv" is appended).
TEST(NameOfVideo, FromTheServerOrTheAddress) {
  std::string accents; // 190 bytes of two-byte characters
  for (int i = 0; i < 95; ++i)
    accents += "\xc3\xa9";
  const sites::NamingRule flash{true, 100}, flash35{true, 35};
  const struct {
    std::string offered, address, name;
    sites::NamingRule rule = {};
  } cases[] = {
      {"", "/v/get_video?video_id=abc&t=xyz", "get_videovideo_id=abct=xyz.flv", flash35},
      {"other.mp4", "/a/clip.FLV", "clip.FLV"},
      {"other.mp4", "/a/clip.FLV", "clip.FLV.flv", flash},
      {"other.mp4", "/a/clip.wmv", "clip.wmv.flv", flash},
      {"other.mp4", "/a/flv", "other.mp4"},
      {"", "/" + std::string(96, 'n') + ".flv", std::string(96, 'n') + ".flv"},
      {"", "/" + std::string(120, 'n') + ".flv", std::string(96, 'n') + ".flv"},
      {accents + ".mp4", "/get", accents.substr(0, 96) + ".mp4"},
      {"a" + accents + ".webm", "/get", "a" + accents.substr(0, 94) + ".webm"},
      {accents + "x", "/get", accents.substr(0, 98) + "x"}, // cut inside a character at both ends
      {std::string(120, 'x') + ".abcdefghi", "/get", std::string(96, 'x') + "fghi"},
      {std::string(36, 'y') + ".mp4", "/get", std::string(31, 'y') + ".flv", flash35},
      {"", "noslash", "noslash"},
  };
  for (const auto &c : cases) {
    net::RemoteFile file;
    file.name = c.offered;
    const std::string address = c.address[0] == '/' ? "http://h" + c.address : c.address;
    EXPECT_EQ(NameOfVideo(file, address, c.rule), c.name) << c.address;
  }
}

} // namespace
} // namespace vidtrawl::list
