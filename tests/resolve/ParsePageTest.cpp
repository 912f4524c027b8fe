#include "resolve/PageParsers.h"
#include "resolve/SiteTable.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace vidtrawl::resolve;

namespace {

// One complete page per site; each ends right after the last character its
// parser needs, so that every shorter prefix lacks something.
struct SitePage {
  int site;
  std::string page, address, expected;
};

std::vector<SitePage> SitePages() {
  return {
      {kSiteGoogleVideo, "<a href=\"http://v/x.mp4?a=1&amp;b=2\" id=ipoddownloadlink", "",
       "http://v/x.mp4?a=1&b=2"},
      {kSiteYoutube, "<embed src=\"/p.swf;http://www.youtube.com/p.swf?video_id=1&", "",
       "resolved http://www.youtube.com/p.swf?video_id=1"},
      {kSiteBolt, "Value=\"[url=http://www.bolt.com/v/1][IMG]http://i/image/1_t.jpg[/IMG]",
       "http://www.bolt.com/v/1", "http://i/movie/1.flv"},
      {kSiteMyspace, "", "http://vids.myspace.com/?videoid=1234567890",
       "http://content.myspace.com/0012345/09/87/1234567890.flv"},
      {kSiteAngryAlien, "<embed src=\"http://angryalien.com/a.swf\"", "",
       "http://angryalien.com/a.swf"},
      {kSiteThatVideoSite, "<embed src='http://thatvideosite.com/b.flv'", "",
       "http://thatvideosite.com/b.flv"},
      {kSiteIFilm, "*url* : *http://ifilm.com/c.flv?a$b*,", "", "http://ifilm.com/c.flv?a&b"},
      {kSiteBreak, "sGlobalFileName='n' sGlobalContentFilePath='p'", "",
       "http://media1.break.com/dnet/media/p/n.flv"},
      {kSiteBlipTV,
       "readonly=\"readonly\" type=\"text\" class=\"permalink_input\" "
       "value=\"http://blip.tv/d.flv\"",
       "", "http://blip.tv/d.flv"},
      {kSiteDailyMotion, "addVariable(\"url\", \"http%3A%2F%2Fdm%2Fe.flv\"", "", "http://dm/e.flv"},
      {kSitePutFile, "<param value=\"http://putfile.com/f.flv", "", "http://putfile.com/f.flv"},
      {kSiteZippyVideos, "storageId=1&userName=u&videoId=9&srvURL=http://z'", "", "http://z/1/u/9"},
  };
}

std::string Resolve(const std::string &player) {
  return "resolved " + player;
}

} // namespace

TEST(ParsePage, DispatchesBySiteNumber) {
  for (const SitePage &p : SitePages()) {
    EXPECT_EQ(ParsePage(p.site, p.page, p.address, Resolve), p.expected) << p.site;
    // No other site's parser finds anything in this page (MySpace works on
    // the address, PutFile takes any ".flv").
    for (const SitePage &other : SitePages())
      if (other.site != p.site && other.site != kSiteMyspace && other.site != kSitePutFile) {
        EXPECT_EQ(ParsePage(other.site, p.page, p.address, Resolve), "")
            << other.site << " on " << p.site;
      }
  }
  for (int site : {kNoSite, 0, 7, 14, 1000})
    for (const SitePage &p : SitePages())
      EXPECT_EQ(ParsePage(site, p.page, p.address, Resolve), "") << site;
}

TEST(ParsePage, TruncatedPagesYieldNothing) {
  for (const SitePage &p : SitePages()) {
    if (p.site == kSiteMyspace)
      continue; // works on the address alone
    for (std::size_t n = 0; n < p.page.size(); ++n)
      ASSERT_EQ(ParsePage(p.site, p.page.substr(0, n), p.address, Resolve), "")
          << p.site << " cut at " << n;
  }
}

TEST(ParsePage, BinaryBytesAroundThePageDoNotDisturbIt) {
  std::string junk = vidtrawl::testing::Pattern(8192, 3);
  for (std::size_t i = 0; i < junk.size(); i += 97)
    junk[i] = '\0';
  for (const SitePage &p : SitePages()) {
    const std::string page = junk + p.page + junk;
    EXPECT_EQ(ParsePage(p.site, page, p.address, Resolve), p.expected) << p.site;
  }
  // Pure binary pages: nothing found, nothing read outside them.
  for (unsigned seed = 1; seed <= 20; ++seed) {
    const std::string page = vidtrawl::testing::Pattern(4096, seed);
    for (const SitePage &p : SitePages())
      if (p.site != kSiteMyspace) {
        EXPECT_EQ(ParsePage(p.site, page, p.address, Resolve), "") << p.site << " seed " << seed;
      }
  }
}
