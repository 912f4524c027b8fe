// The search of pages of no known site: each fixture page's video, title or reason, and what an
// answer's headers make of it.
#include "pagesearch/PageVideo.h"
#include "pagesearch/AnswerMedia.h"
#include "support/PageFixtures.h"

#include <gtest/gtest.h>

#include <tuple>

namespace vidtrawl::pagesearch {
namespace {
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
      // A signed path is the whole quoted address; a query's address is its own.
      {"<script>s={src:\"//c.q.org/hdnts=exp=1~acl=/*~hmac=ab/v/a.m3u8\"}</script>",
       "http://c.q.org/hdnts=exp=1~acl=/*~hmac=ab/v/a.m3u8"},
      {"<script>e('http://q.org/p.swf?file=/v/a.flv')</script>", "http://p.net/v/a.flv"},
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
      {"<meta http-equiv=Refresh content='0;url=http://q.org/v'><meta http-equiv=refresh "
       "content=9>",
       ""}, // another site's page, and the page itself, are not followed
      {"<hls-video src=/s/x></hls-video><link rel=preload as=image href=/i.mp4>",
       "http://p.net/s/x"},
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
} // namespace vidtrawl::pagesearch
