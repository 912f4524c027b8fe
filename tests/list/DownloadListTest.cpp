// The items of the list: their store, the texts they carry (file name, size, status), the name and
// size read from a video's headers, and how an added link is resolved into them.
#include "list/DownloadList.h"
#include "list/CleanFileName.h"
#include "list/FileInfo.h"
#include "list/FormatSize.h"
#include "list/LinkAdder.h"
#include "list/Status.h"
#include "list/StatusKind.h"
#include "resolve/SiteTable.h"
#include "support/EngineFixture.h"
#include "support/RawServer.h"

#include <cctype>
#include <clocale>
#include <map>
#include <sstream>

namespace vidtrawl::list {
namespace {

// The addresses in list order, checking on the way that item n has ID n and
// is found again by its serial.
std::string Addresses(const DownloadList &list) {
  std::string text;
  for (std::size_t i = 0; i < list.Count(); ++i) {
    EXPECT_EQ(list[i].ID, static_cast<int>(i) + 1);
    EXPECT_EQ(list.IndexOfSerial(list.SerialAt(i)), i);
    text += (i ? " " : "") + list[i].Video_URL;
  }
  return text;
}

// Operations on the list "a b c", word by word, then ':' and the addresses left: "rN" removes ID N,
// "uN" and "dN" move it up and down, "+X" adds address X, "N=X" sets the address of ID N to X.
TEST(DownloadList, EachOperationKeepsTheItemsNumberedInOrder) {
  for (const std::string c :
       {"r1:b c",      "r2:a c",         "r3:a b",         "r4:a b c",          "r0:a b c",
        "u1:a b c",    "u2:b a c",       "u3:a c b",       "u4:a b c",          "d0:a b c",
        "d1:b a c",    "d2:a c b",       "d3:a b c",       "+b:a b c",          "+B +bb:a b c B bb",
        "r1 +a:b c a", "3=z +c:a b z c", "1=s 2=s r3:s s", "1=s 2=s r1 +s:s c", "4=x:a b c"}) {
    DownloadList list;
    for (const char *url : {"a", "b", "c"})
      ASSERT_TRUE(list.AddItem(url, "", "", ""));
    std::istringstream words(c.substr(0, c.find(':')));
    for (std::string word; words >> word;) {
      const int id = std::atoi(word.c_str() + (std::isdigit(word[0]) ? 0 : 1));
      if (word[0] == 'r')
        EXPECT_TRUE(list.RemoveItem(id));
      else if (word[0] == 'u')
        list.MoveItemUp(id);
      else if (word[0] == 'd')
        list.MoveItemDown(id);
      else if (word[0] == '+')
        EXPECT_TRUE(list.AddItem(word.substr(1), "", "", ""));
      else
        list.SetVideoURL(static_cast<std::size_t>(id - 1), word.substr(word.find('=') + 1));
    }
    EXPECT_EQ(Addresses(list), c.substr(c.find(':') + 1)) << c;
  }
}

TEST(DownloadList, FieldsTakeDefaultsAndOnlyNonEmptyUpdates) {
  DownloadList list;
  EXPECT_FALSE(list.RemoveItem(1)); // an empty list
  list.AddItem("a", "fa", "", "");
  list.AddItem("b", "fb", "Complete", "1 MB");
  list.AddItem("a", "other", "x", "x"); // listed already: unchanged
  EXPECT_TRUE(list.UpdateItem(2, "", "", "", ""));
  EXPECT_TRUE(list.UpdateItem(1, "", "n", "", "5"));
  EXPECT_TRUE(list.UpdateItem(3, "x", "x", "x", "x"));
  list.SetStatus(1, "");
  list.SetFileSize(1, "");
  list.SetFileName(2, "x"); // beyond the end
  const auto text = [&](std::size_t i) {
    return list[i].FileName + "|" + list[i].Status + "|" + list[i].FileSize;
  };
  EXPECT_EQ(text(0), "n|Waiting|5");
  EXPECT_EQ(text(1), "fb||");
  list.RemoveItem(3); // every survivor of a removal gets the defaults again
  EXPECT_EQ(text(1), "fb|Waiting|????");
  EXPECT_EQ(list.CountOfFileName("n"), 1u);
  list.SetFileName(0, "fb");
  EXPECT_EQ(list.CountOfFileName("fb"), 2u);
  EXPECT_EQ(list.CountOfFileName("n"), 0u);
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
      {"\xe2\x81\xa6"
       "a\xe2\x80\x8b\xef\xbb\xbf"
       "b\xc2\x9b\xf3\xa0\x80\x81.flv",
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

// Each status text with its kind, and its percentage where it has one.
TEST(StatusKind, EveryStatusTextIsReadOnce) {
  using K = StatusKind;
  const std::pair<K, std::vector<const char *>> kinds[] = {
      {K::Waiting, {"Waiting"}},
      {K::Unsupported, {"Link is not supported"}},
      {K::Fetching, {"Preparing (0%)", "Preparing..."}},
      {K::Preparing, {"Start Downloading..."}},
      {K::Progress, {"007", "99999999999999999999", "x so far.."}},
      {K::Complete, {"Complete"}},
      {K::Error, {"ERROR"}},
      {K::Cancelled, {"Cancelled"}},
      {K::Other, {"Preparing (x%)", " so far..", "complete", "Complete ", "", "4.2"}}};
  const std::map<std::string, int> percents = {
      {"Preparing (0%)", 0}, {"007", 7}, {"99999999999999999999", 1000000}};
  for (const auto &[kind, texts] : kinds)
    for (const std::string text : texts) {
      const auto percent = percents.find(text);
      EXPECT_EQ(ClassifyStatus(text).kind, kind) << text;
      EXPECT_EQ(ClassifyStatus(text).percent,
                percent == percents.end() ? std::nullopt : std::optional(percent->second))
          << text;
    }
}

// A video extension in the address beats the server's name; long names are
// cut at a character keeping their extension (after ".flv" is appended).
TEST(GetFileInfo, NameAndSizeFromTheAddressAndTheHeaders) {
  using testing::RawResponse;
  const std::string ok = "HTTP/1.1 200 OK", small = "Content-Length: 1536\r\n";
  const std::string plain = RawResponse(ok, small);
  const auto named = [&](const std::string &name) {
    return RawResponse(ok, small + "Content-Disposition: attachment; filename=" + name + "\r\n");
  };
  std::string accents; // 190 bytes of two-byte characters
  for (int i = 0; i < 95; ++i)
    accents += "\xc3\xa9";
  const struct {
    std::string answer, path, name;
    int site = resolve::kSiteBolt;
    std::string size = "1.5 KB";
  } cases[] = {{plain, "/v/get_video?video_id=abc&t=xyz", "get_videovideo_id=abct=xyz.flv",
                resolve::kSiteYoutube},
               {named("other.mp4"), "/a/clip.FLV", "clip.FLV", resolve::kSitePutFile},
               {named("other.mp4"), "/a/clip.FLV", "clip.FLV.flv", resolve::kSiteDailyMotion},
               {named("other.mp4"), "/a/clip.wmv", "clip.wmv.flv", resolve::kSiteZippyVideos},
               {named("other.mp4"), "/a/flv", "other.mp4"},
               {plain, "/" + std::string(96, 'n') + ".flv", std::string(96, 'n') + ".flv"},
               {plain, "/" + std::string(120, 'n') + ".flv", std::string(96, 'n') + ".flv"},
               {named("\"" + accents + ".mp4\""), "/get", accents.substr(0, 96) + ".mp4"},
               {named("\"a" + accents + ".webm\""), "/get", "a" + accents.substr(0, 94) + ".webm"},
               {named(std::string(120, 'x') + ".abcdefghi"), "/get", std::string(96, 'x') + "fghi"},
               {named(std::string(36, 'y') + ".mp4"), "/get", std::string(31, 'y') + ".flv",
                resolve::kSiteYoutube},
               {RawResponse(ok, ""), "/a.flv", "a.flv", resolve::kSiteBolt, "0"}, // size unknown
               {RawResponse("HTTP/1.1 404 Not Found", "Content-Length: 0\r\n"), "/a.flv", "a.flv",
                resolve::kSiteBolt, "0 Bytes"},
               {RawResponse("HTTP/1.1 404 Not Found", ""), "/a.flv", "a.flv", resolve::kSiteBolt,
                "-1 Bytes"},
               {RawResponse(ok, "Content-Length: 3445728\r\n"), "/b.flv", "b.flv",
                resolve::kSiteBolt, "3.3 MB"}};
  testing::RawServer server;
  host::NoopPump pump;
  for (const auto &c : cases) {
    SCOPED_TRACE(c.answer + c.path);
    server.SetReply({c.answer});
    net::Download download(pump, net::ConnectionMap{});
    const FileInfo info = GetFileInfo(download, server.url(c.path), c.site);
    EXPECT_EQ(info.FileName, c.name);
    EXPECT_EQ(info.SizeText, c.size);
  }
}

class LinkAdderTest : public testing::EngineFixture {
protected:
  LinkAdder &adder() { return engine->adder; }
};

TEST_F(LinkAdderTest, AResolvedItemGetsItsNameAndSizeUnlessTheUserNamedIt) {
  Serve("/v/1", "<a href=\"http://media.putfile.com/files/Clip.flv\">");
  Serve("/v/2", "<a href=\"http://media.putfile.com/files/Other.flv\">");
  Serve("/files/Clip.flv", std::string(2048, 'v'));
  Serve("/files/Other.flv", std::string(100, 'v'));
  adder().AddLinks({"http://www.putfile.com/v/1", "http://www.putfile.com/v/2"});
  engine->items.UpdateItem(2, "", "mine.flv", "", "");
  std::string shownDuringFetch;
  pump.action = [&](long) {
    if (engine->fetcher.GettingLink() && shownDuringFetch.empty())
      shownDuringFetch = grid.Texts().at(0)[3];
  };
  engine->current.Set(engine->items, 0); // as the pass does
  EXPECT_EQ(adder().ResolveItem(0), "http://media.putfile.com/files/Clip.flv");
  EXPECT_EQ(shownDuringFetch, "Preparing (0%)");
  EXPECT_EQ(Item(0), (DownloadItem{1, "http://www.putfile.com/v/1", "Clip.flv",
                                   "Start Downloading...", "2 KB"}));
  EXPECT_EQ(engine->download.FileSize(), 2048); // for the transfer that follows
  EXPECT_EQ(adder().ResolveItem(1), "http://media.putfile.com/files/Other.flv");
  EXPECT_EQ(Item(1).FileName, "mine.flv");
  EXPECT_EQ(Item(1).FileSize, "100 Bytes");
  EXPECT_EQ(adder().ResolveItem(2), "-1"); // no such item
}

// An address is listed once, with its site's first status; each answer of
// the page fetch is recorded in the item.
TEST_F(LinkAdderTest, EachAnswerOfThePageFetchIsRecordedInTheItem) {
  Serve("/empty", "no video in here");
  adder().AddLink("http://www.example.org/x");
  adder().AddLinks(
      {"http://www.putfile.com/empty", "http://www.putfile.com/gone", "http://www.example.org/x"});
  ASSERT_EQ(engine->items.Count(), 3u);
  EXPECT_EQ(grid.RowCount(), 3);
  EXPECT_EQ(Item(0), (DownloadItem{1, "http://www.example.org/x", "ERROR", "Link is not supported",
                                   "????"}));
  EXPECT_EQ(Item(2), (DownloadItem{3, "http://www.putfile.com/gone", "Waiting (Auto Detect)",
                                   "Waiting", "????"}));
  for (std::size_t i = 0; i < 3; ++i)
    EXPECT_EQ(adder().ResolveItem(i), "-1");
  EXPECT_EQ(Item(0).FileName, "Un supported link");
  EXPECT_EQ(Item(1), (DownloadItem{2, "Video may be inappropriate and can not be downloaded",
                                   "Process failed.", "ERROR", "????"}));
  EXPECT_EQ(Item(2).Status, "ERROR");
}

} // namespace
} // namespace vidtrawl::list
