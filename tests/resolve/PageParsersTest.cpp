// The sites' page parsers: every site's sample page (the demo serves them) against the address it
// leads to, then the failure branches and offsets those pages do not reach; the page search, the
// decoding of pages and what an answer's headers make of it.
#include "resolve/AnswerMedia.h"
#include "resolve/PageDecode.h"
#include "resolve/PageSearch.h"
#include "resolve/PageVideo.h"
#include "resolve/SiteTable.h"
#include "resolve/VideoPageAddress.h"
#include "support/PageFixtures.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <set>
#include <tuple>

namespace vidtrawl::resolve {
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
    if (site->parse == nullptr) { // a video file's own address
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
    for (std::size_t n = 0; !site->domain.empty() && n < text.size(); ++n) {
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

// Pages of no known site: each fixture's video (or playlist, video host, page to follow) and title,
// then the rules the fixtures do not reach.
TEST(PageVideo, EachPageGivesItsVideoFile) {
  using testing::PageResult;
  for (const testing::PageFixture &fixture : testing::kPageFixtures) {
    SCOPED_TRACE(fixture.file);
    const std::string html = testing::PageFixtureText(fixture);
    ASSERT_FALSE(html.empty());
    const PageVideo found = FindPageVideo(html, fixture.address);
    const PageResult protocols[] = {PageResult::File, PageResult::Hls, PageResult::Dash};
    EXPECT_EQ(!found.follow.empty()   ? PageResult::Follow
              : found.hosted          ? PageResult::Hosted
              : found.address.empty() ? PageResult::None
                                      : protocols[static_cast<int>(found.protocol)],
              fixture.result);
    EXPECT_EQ(found.address + found.follow + (found.hosted ? found.hosted->address : ""),
              fixture.video);
    if (found.hosted) {
      EXPECT_EQ("the video is hosted on " + found.hosted->site, fixture.reason);
    }
    EXPECT_FALSE(found.title.empty());
    EXPECT_EQ(found.title.find("\xEF\xBF\xBD"), std::string::npos) << found.title;
  }
  std::string deep, many;
  for (int i = 0; i < 100000; ++i)
    deep += i % 2 ? "<div>" : "<b>";
  for (int i = 0; i < 40000; ++i)
    many += " a" + std::to_string(i);
  const std::pair<std::string, const char *> cases[] = {
      // A file beats a playlist; a source with no type names a file by its extension only.
      {"<video><source src='a.m3u8' type='application/x-mpegURL'><source src='b.webm'></video>",
       "http://p.net/d/b.webm"},
      {"<source src='/watch?v=1'><a href='x.MKV#t=2'>", "http://p.net/d/x.MKV#t=2"},
      // Equal resolutions: the first; no web address is taken (javascript:, data:, mailto:).
      {"<source src=a.mp4 type=video/mp4 size=720><source src=b.mp4 type=video/mp4 size=720>",
       "http://p.net/d/a.mp4"},
      {"<video controls><source src=a.mp4 size=720><source src=a.webm size=720></video>",
       "http://p.net/d/a.mp4"},
      {"<video src='javascript:alert(1)'></video><a href='data:video/mp4,x.mp4'>", ""},
      {"<meta property='og:video' content='mailto:a@b.mp4'>", ""},
      // The file name's resolution counts, the element's height does not.
      {"<video controls height=1080><source src=c.480p.mp4><source src=c_720.mp4></video>",
       "http://p.net/d/c_720.mp4"},
      // A background is the last resort; "header" and "download" name no advertisement.
      {"<video autoplay muted loop src=bg.mp4></video><a href=clip.mp4>",
       "http://p.net/d/clip.mp4"},
      {"<video autoplay muted loop src=bg.mp4></video>", "http://p.net/d/bg.mp4"},
      {"<div class='header download-box'><video controls src=h.mp4></video></div>",
       "http://p.net/d/h.mp4"},
      {"<div id=videoAd><video controls src=ad.mp4></video></div><video controls src=s.mp4>",
       "http://p.net/d/s.mp4"}, // a camel-cased name's words
      // Broken JSON-LD and markup are read as far as they go.
      {"<script type='application/ld+json'>{\"@type\": \"VideoObject\", \"contentUrl\": ", ""},
      {"<script type='application/ld+json'>[{\"@type\":\"VideoObject\",\"contentUrl\":7},"
       "{\"@type\":\"VideoObject\",\"contentUrl\":\"c.ogv\"}]</script>",
       "http://p.net/d/c.ogv"},
      // Bytes of no declared encoding that are no UTF-8 are windows-1252; controls become U+FFFD.
      {"<video src=\"/v/\xff\x01.mp4\">", "http://p.net/v/%c3%bf%ef%bf%bd.mp4"},
      // Nesting and attributes past the bounds cost little, and what follows them is read.
      {deep + "<video controls src=/deep.mp4></video>", "http://p.net/deep.mp4"},
      {"<video controls src=/many.mp4" + many + "></video>", "http://p.net/many.mp4"},
      // A source no address can be made of is passed over, however good it claims to be.
      {"<video controls><source src='javascript:x.mp4' size=1080 type=video/mp4><source src=''>"
       "<source src='http://[x/a.mp4' type=video/mp4><source src=ok.mp4 size=360></video>",
       "http://p.net/d/ok.mp4"},
      {"<base href='/films/'><video controls src=a.mp4>", "http://p.net/films/a.mp4"},
      {"<base href='http://q.org/v/'><base href=/no/><video controls src=../a.mp4>",
       "http://q.org/a.mp4"},
      {"<base href='javascript:x'><video controls src=a.mp4>", "http://p.net/d/a.mp4"},
      // Heights are whole words of the file name, never of its folder or query.
      {"<video controls><source src=c-1080pro.mp4><source src=x720y.mp4><source src=v1080.mp4>"
       "<source src=c-360.mp4>",
       "http://p.net/d/c-360.mp4"},
      {"<video controls><source src=/720p/a.mp4?h=1080p><source src=b-480p.mp4>",
       "http://p.net/d/b-480p.mp4"},
      {"<video controls><source src=a.mp4 label=SD><source src=b.mp4 data-quality=HD>"
       "<source src=c.mp4 res=1280x720><source src=d.mp4 data-height=2k>",
       "http://p.net/d/d.mp4"},
      {"<video controls><source src=lo.m3u8 label=480p><source src=hi.m3u8 label=1080p></video>",
       "http://p.net/d/hi.m3u8"},
      {"<video src=a.mp4></video><video controls src=b.mp4></video><video controls src=c.mp4>",
       "http://p.net/d/b.mp4"},
      // Scripts: escaped and entity-coded addresses, a configuration keyed by quality.
      {"<script>v=\"https:\\u002F\\u002fq.org\\u002Fclip.mp4\";</script>",
       "https://q.org/clip.mp4"},
      {"<script>play('/v/a.mp4?t=1&amp;s=2')</script>", "http://p.net/v/a.mp4?t=1&s=2"},
      {"<script>c={'360p':'/s.mp4','1080p':'/h.mp4','720p':'/m.mp4'}</script>",
       "http://p.net/h.mp4"},
      // JSON-LD as pages write it, in graphs and arrays.
      {"<script type=application/ld+json><!-- {// note\n\"@type\":\"VideoObject\", \"name\":"
       "\"a \\\"b, ]\x01\", \"contentUrl\":\"\\/get?v=q\",} --></script>",
       "http://p.net/get?v=q"},
      {"<script type=application/ld+json>{\"@type\":[\"Thing\",\"VideoObject\"],"
       "\"contentUrl\":[\"/get?v=a\",\"/get?v=b\"]}</script>",
       "http://p.net/get?v=a"},
      {"<script type=application/ld+json>{\"@type\":\"ImageObject\",\"contentUrl\":\"/p.jpg\"}"
       "</script><a href=v.mp4>",
       "http://p.net/d/v.mp4"}, // a picture's is no video's
      {"<script type=application/ld+json>{\"@graph\":[{\"@type\":\"WebPage\"},"
       "{\"@type\":\"VideoObject\",\"embedUrl\":\"/embed/7\"}]}</script>",
       "follow http://p.net/embed/7"},
      // What to follow: a player page, not a Flash player nor the page itself.
      {"<meta property=og:video content=/watch/9>", "follow http://p.net/watch/9"},
      {"<meta property=og:video content=/player.swf><iframe src=/d/page>", ""},
      {"<video-js data-setup='{\"sources\":[{\"src\":\"https://youtu.be/a\"}]}'>",
       "hosted YouTube https://youtu.be/a"},
      {"<embed src=https://www.dailymotion.com/swf/x1>",
       "hosted Dailymotion https://www.dailymotion.com/swf/x1"},
  };
  for (const auto &[html, address] : cases) {
    const PageVideo found = FindPageVideo(html, "http://p.net/d/page");
    EXPECT_EQ(!found.follow.empty() ? "follow " + found.follow
              : found.hosted        ? "hosted " + found.hosted->site + " " + found.hosted->address
                                    : found.address,
              address)
        << html.substr(0, 99);
  }
  // An <iframe> is followed on the page's own site only: "co.uk" is no site, nor "0.1" of an IP
  // address.
  const std::tuple<const char *, const char *, bool> frames[] = {
      {"http://www.news.co.uk/a", "http://player.news.co.uk/p", true},
      {"http://news.co.uk/a", "http://x.news.co.uk/p", true},
      {"http://www.news.co.uk/a", "http://other.co.uk/p", false},
      {"http://www.abc.net.au/a", "http://other.net.au/p", false},
      {"http://p.net/d/page", "http://cdn.p.net/p", true},
      {"http://p.net/d/page", "http://p.org/p", false},
      {"http://localhost:81/a", "http://localhost:81/p", true},
      {"http://10.0.0.1/a", "http://10.0.0.1:8080/p", true},
      {"http://10.0.0.1/a", "http://192.168.0.1/p", false},
  };
  for (const auto &[page, frame, followed] : frames)
    EXPECT_EQ(FindPageVideo("<iframe src='" + std::string(frame) + "'>", page).follow,
              followed ? frame : ""); // each frame is of one row
  for (const int depth : {16, 17}) {  // structured data is read 16 levels deep, no deeper
    std::string json = "{\"@type\":\"VideoObject\",\"contentUrl\":\"get?v=d\"}";
    for (int i = 0; i < depth; ++i)
      json = "{\"a\":" + json + "}";
    EXPECT_EQ(
        FindPageVideo("<script type=application/ld+json>" + json + "</script>", "http://p.net/")
            .address,
        depth > 16 ? "" : "http://p.net/get?v=d");
  }
  EXPECT_EQ(FindPageVideo("<title> A \n  B </title><meta property=og:title content=''>", "").title,
            "A B");
}

// The known sites' page search: positions count from 1, letter case is ignored, a position below 1
// is refused and one past the text reads as its end.
TEST(PageSearch, PositionsCountFromOneAndOutOfTheTextAreNoneOrEmpty) {
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

// What a server sends decides whether an answer is a page to read: a video type, a playlist's, or
// plain bytes under a video file's name (offered, else the address's).
TEST(AnswerMedia, TheTypeOrTheNameOfBytesDecides) {
  using P = std::optional<VideoProtocol>;
  const std::tuple<const char *, const char *, const char *, P> cases[] = {
      {"video/mp4", "", "http://h/get_video?id=6", VideoProtocol::File},
      {" VIDEO/webm ; codecs=vp9", "", "http://h/v", VideoProtocol::File},
      {"application/vnd.apple.mpegurl", "", "http://h/live", VideoProtocol::Hls},
      {"application/x-mpegURL; charset=utf-8", "", "http://h/live", VideoProtocol::Hls},
      {"application/dash+xml", "", "http://h/m", VideoProtocol::Dash},
      {"application/octet-stream", "a.MKV", "http://h/download?f=1", VideoProtocol::File},
      {"application/octet-stream", "", "http://h/clips/a.mp4?sig=1", VideoProtocol::File},
      {"", "", "http://h/clips/a.webm", VideoProtocol::File},
      {"application/octet-stream", "notes.pdf", "http://h/download?f=a.mp4", std::nullopt},
      {"text/html", "a.mp4", "http://h/a.mp4", std::nullopt},
      {"text/plain", "", "http://h/list.m3u8", std::nullopt},
  };
  for (const auto &[type, name, address, media] : cases)
    EXPECT_EQ(AnswerMedia(type, name, address), media) << type << " " << name << " " << address;
}

} // namespace
} // namespace vidtrawl::resolve
