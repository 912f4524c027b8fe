// The sites' page parsers: every site's sample page (the demo serves them) against the address it
// leads to, then the failure branches and offsets those pages do not reach; the page search, the
// decoding of pages and what an answer's headers make of it.
#include "pagesearch/AnswerMedia.h"
#include "pagesearch/PageDecode.h"
#include "pagesearch/PageVideo.h"
#include "sites/SiteTable.h"
#include "sites/TextSearch.h"
#include "sites/VideoPageAddress.h"
#include "support/PageFixtures.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <set>
#include <tuple>

namespace vidtrawl::sites {
namespace {

// What a parser finds, as one text: the file's address, or "player ADDRESS" for a page that names
// only its player.
std::string Found(const Site &site, std::string_view text, std::string_view address) {
  const PageFinding found = site.parse(text, address);
  EXPECT_TRUE(found.video.empty() || found.player.empty());
  return found.player.empty() ? found.video : "player " + found.player;
}

TEST(PageParsers, EachSitesSamplePageLeadsToItsVideo) {
  std::string junk = testing::Pattern(8192, 3);
  for (std::size_t i = 0; i < junk.size(); i += 97)
    junk[i] = '\0';
  std::set<std::string_view> names;
  for (const Site *site : Sites()) {
    const SamplePage &page = site->sample;
    SCOPED_TRACE(site->name);
    names.insert(site->name);
    EXPECT_EQ(SiteOfAddress(page.address, SiteRule::AnyPage), site);
    // What the clipboard monitor takes: every site's video pages and video files, no other page.
    EXPECT_EQ(IsVideoPageAddress(page.address, SiteRule::AnyPage), site->isVideoPage != nullptr);
    if (site->kind == SiteKind::VideoFile) { // a video file's own address
      EXPECT_EQ(page.videoAddress, page.address);
      continue;
    }
    const std::string text(page.text);
    const std::string found = Found(*site, text, page.address);
    // Only a page that names its player asks for it, and the player's path is served.
    if (page.playerPath.empty())
      EXPECT_EQ(found, page.videoAddress);
    else
      EXPECT_NE(found.find("player http://"), std::string::npos) << found;
    EXPECT_NE(found.find(page.playerPath), std::string::npos) << found;
    EXPECT_EQ(Found(*site, junk + text + junk, page.address), found);
    // A known site's cut page gives the whole address or nothing, never a part of it.
    for (std::size_t n = 0; site->kind == SiteKind::Known && n < text.size(); ++n) {
      const std::string cut = Found(*site, text.substr(0, n), page.address);
      ASSERT_TRUE(cut.empty() || cut == found) << "cut at " << n << ": " << cut;
    }
  }
  EXPECT_EQ(names.size(), Sites().size()) << "one name per site";
  // The known sites only: every other address is refused, a video file's too.
  for (const char *other : {"http://www.example.org/videos/trawler.html", "http://e.net/a.mp4"}) {
    EXPECT_EQ(SiteOfAddress(other, SiteRule::KnownSitesOnly), nullptr);
    EXPECT_FALSE(IsVideoPageAddress(other, SiteRule::KnownSitesOnly));
  }
}

// What the clipboard monitor takes: a site's video page, by its host and the page's shape.
TEST(VideoPageAddress, OnlyAVideoPageOfASiteIsTaken) {
  const std::pair<std::string, bool> texts[] = {
      {" \t http://www.youtube.com/watch?v=abc \r\n", true},
      {"HTTPS://YOUTUBE.COM/watch?feature=x&v=abc", true},
      {"http://video.google.com:8080/videoplay?docid=1", true},
      {"http://www.bolt.com/someone/video/123", true},
      {"http://www.putfile.com/video/1", true},
      {"http://www.zippyvideos.com/4518/nets", true},
      {"http://www.break.com/index/a.htm", true},
      {"my password: hunter2", false},
      {"alice@google.com", false},
      {"mailto:alice@google.com", false},
      {"https://docs.google.com/document/d/1/edit", false},
      {"http://www.youtube.com/", false},
      {"http://www.youtube.com/watch", false},
      {"http://www.youtube.com/watch?v=", false},
      {"http://youtube.com@evil.example/watch?v=abc", false},
      {"http://evil.example/youtube.com/watch?v=abc", false},
      {"http://evil.example/watch?v=abc&u=youtube.com", false},
      {"http://notyoutube.com/watch?v=abc", false},
      {"ftp://www.youtube.com/watch?v=abc", false},
      {"www.youtube.com/watch?v=abc", false},
      {"http://www.youtube.com/watch?v=a b", false},
      {"http://www.youtube.com/watch?v=abc\nhttp://blip.tv/file/1", false},
      {"http://blip.tv/file/1" + std::string(2048, 'x'), false},
      {"http://blip.tv/file/x", false},
      {"http://vids.myspace.com/index.cfm?videoid=1234", false},
      {"http://www.angryalien.com/index.html", false},
      {"http://www.putfile.com/about", false},
      {"http://www.dailymotion.com/video/x/y", false},
      {"https://cdn.example.net/v/Clip.MP4?token=1", true},
      {"http://www.example.net/watch/clip.mp4/page", false},
      {"http://www.youtube.com/clip.mp4", false},   // a site's other pages are no file of their own
      {"http://www.example.net/stream.m3u8", true}, // a stream is a video too
      {"http://www.youtube.com/stream.mpd", false},
      {"", false},
  };
  for (const auto &[text, taken] : texts)
    EXPECT_EQ(IsVideoPageAddress(text, SiteRule::AnyPage), taken) << text;
}

TEST(PageParsers, FailureBranchesAndOffsets) {
  const std::string bolt = "http://www.bolt.com/video/123";
  const auto boltPage = [](const std::string &address, const std::string &image) {
    return "Value=\"[url=" + address + "][IMG]" + image + "[/IMG][/url]\">";
  };
  const std::string blip = "readonly=\"readonly\" type=\"text\" class=\"permalink_input\" value=\"";
  const std::string myspace = "http://vids.myspace.com/index.cfm?videoid=";
  const std::string content = "http://content.myspace.com/";
  const std::string media = "http://media1.break.com/dnet/media/";
  const std::tuple<const char *, std::string, std::string, std::string> cases[] = {
      // the site's domain, page, address, video
      {"google.com", "<a href=\"http://v/d?a=1&amp;b=%2F\" id=\"ipoddownloadlink\">", "",
       "http://v/d?a=1&b=%2F"},
      {"google.com", "<a href=\"http://1\"><A HREF=\"http://2\" ID=IPODDOWNLOADLINK href=\"3\"", "",
       "http://2"},
      {"google.com", "<a href=\"http://no-quote ipoddownloadlink", "", ""},
      {"google.com", "ipoddownloadlink <a href=\"http://after\">", "", ""},
      {"google.com", "http://x \"var videoUrl = \"http%3A%2F%2Fv%2Fx.flv%3Fa%3D1\";", "",
       "http://v/x.flv?a=1"},
      {"google.com", "videoUrl = \"ftp://a\"", "", ""},
      {"google.com", "videoUrl = \"http://a", "", ""},
      {"youtube.com", "a;b& <EMBED SRC=x;http://y/p?v=1&z", "", "player http://y/p?v=1"},
      {"youtube.com", "embed src=x;&http://y/p&", "", ""}, // an empty player address is not asked
      {"youtube.com", "embed src=x&y;z", "", ""},
      {"youtube.com", "embed src=x&y", "", ""},
      {"bolt.com", boltPage(bolt, "http://i.bolt.com/image/123.jpg"), bolt,
       "http://i.bolt.com/movie/123.flv"},
      {"bolt.com", boltPage(bolt, "http://i/image/a_b.c_d.jpg"), bolt, "http://i/movie/a_b.c.flv"},
      {"bolt.com", boltPage(bolt, "http://i/image/A.FLV_x"), bolt, "http://i/movie/A.FLV"},
      {"bolt.com", boltPage(bolt, "abc"), bolt, "abc.flv"},
      {"bolt.com", boltPage(bolt + "/", "/image/1.jpg"), bolt, ""},
      {"bolt.com", "Value=\"[url=" + bolt + "][IMG]http://i/image/1.jpg", bolt, ""},
      {"myspace.com", "", myspace + "12345", content + "0000000/54/32/12345.flv"},
      {"myspace.com", "", myspace + "123456", content + "0000001/65/43/123456.flv"},
      {"myspace.com", "", myspace + "1234567890123", content + "12345678/32/10/1234567890123.flv"},
      {"myspace.com", "", myspace + "1234", ""},
      {"angryalien.com", "<embed src=\"/media/x.swf\">", "", ""}, // relative: of no use
      {"thatvideosite.com", "<embed src='videos/1.flv'>", "", ""},
      {"ifilm.com", "{*URL* : *HTTP://I/A$$*,", "", "HTTP://I/A&&"},
      {"ifilm.com", "*, *url* : *http://a/b*, x*,", "", "http://a/b"},
      {"break.com", "sGlobalFileName='';x='y'; sGlobalContentFilePath='p';", "",
       media + "p/';x=.flv"},
      {"break.com", "sGlobalContentFilePath='p'; sGlobalFileName='n';", "", ""},
      {"break.com", "sGlobalFileName='n'; sGlobalContentFilePath='p", "", ""},
      {"blip.tv", blip + "ab\"cdefghij\"rest", "", "ab\"cdefghij"}, // the quote from the 10th
      {"blip.tv", blip + "123456789\"x\"", "", "123456789"},
      {"dailymotion.com", "addVariable(\"url\",\"http://x/y.flv\")", "", "ttp://x/y.flv"},
      {"putfile.com", "<a href=\"http://x/a.wmv\"><param value=\"http://p/b.flv\">", "",
       "http://p/b.flv"},
      {"putfile.com", "so=\"http://x/a.wmv\" other", "", "http://x/a.wmv"},
      {"putfile.com", "http.flv", "", "http.flv"},
      {"putfile.com", "see b.flv then http://x/c.flv", "", ""},
      {"zippyvideos.com", "srvURL=http://s/' STORAGEID=1&USERNAME=u&VIDEOID=9&", "",
       "http://s//1/u/9"},
      {"zippyvideos.com", "srvURL=http://s' storageId=1&userName=u&videoId=9", "", ""},
  };
  for (const auto &[domain, page, address, expected] : cases)
    EXPECT_EQ(Found(*SiteOfAddress(domain, SiteRule::KnownSitesOnly), page, address), expected)
        << domain << " " << page;
}

// The known sites' page search: positions count from 1, letter case is ignored, a position below 1
// is refused and one past the text reads as its end.
TEST(TextSearch, PositionsCountFromOneAndOutOfTheTextAreNoneOrEmpty) {
  const std::string_view t = "abcABCabc";
  const std::optional<Pos> none;
  const std::pair<std::optional<Pos>, std::optional<Pos>> found[] = {
      {FindFrom(t, "BC", 3), 5},       {FindFrom(t, "c", 9), 9},
      {FindFrom(t, "c", 10), none},    {FindFrom(t, "a", 0), none},
      {FindFrom(t, "", 1), none},      {FindBackward(t, "ABC", 8), 4},
      {FindBackward(t, "abc", 99), 7}, {FindBackward(t, "bc", 2), none},
      {FindBackward(t, "", 5), none},  {FindBackward(t, "a", 0), none}};
  for (const auto &[at, expected] : found)
    EXPECT_EQ(at, expected);
  const std::pair<std::optional<std::string>, std::optional<std::string>> cut[] = {
      {Mid(t, 2, 3), "bcA"},        {Mid(t, 8, 5), "bc"},          {Mid(t, 10, 1), ""},
      {Mid(t, 0, 1), std::nullopt}, {Mid(t, 1, -1), std::nullopt}, {MidToEnd(t, 7), "abc"},
      {MidToEnd(t, 10), ""},        {MidToEnd(t, 0), std::nullopt}};
  for (const auto &[text, expected] : cut)
    EXPECT_EQ(text, expected);
  EXPECT_EQ(ReplaceAll("aaa.A", "aa", "b"), "ba.A");
  EXPECT_EQ(ReplaceAll("ab", "", "z"), "ab");
}

} // namespace
} // namespace vidtrawl::sites
