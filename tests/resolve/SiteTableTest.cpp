#include "resolve/SiteTable.h"

#include <gtest/gtest.h>

#include <string>

using namespace vidtrawl::resolve;

TEST(GetSiteID, EachSiteByItsDomain) {
  struct Case {
    const char *address;
    int site;
  } cases[] = {
      {"http://video.google.com/videoplay?docid=1", 1},
      {"http://www.youtube.com/watch?v=abc", 2},
      {"http://www.bolt.com/video/1", 3},
      {"http://vids.myspace.com/index.cfm?videoid=12345", 4},
      {"http://www.angryalien.com/0604/x.asp", 5},
      {"http://www.thatvideosite.com/view/1.html", 6},
      {"http://www.ifilm.com/video/2710582", 8},
      {"http://www.break.com/index/clip.html", 9},
      {"http://blip.tv/file/12345", 10},
      {"http://www.dailymotion.com/video/x1", 11},
      {"http://media.putfile.com/Clip", 12},
      {"http://www.zippyvideos.com/1/x", 13},
      {"youtube.com", 2}, // anywhere, no scheme needed
  };
  for (const Case &c : cases)
    EXPECT_EQ(GetSiteID(c.address), c.site) << c.address;
}

TEST(GetSiteID, IgnoresLetterCase) {
  EXPECT_EQ(GetSiteID("http://WWW.YOUTUBE.COM/watch?v=x"), 2);
  EXPECT_EQ(GetSiteID("HTTP://Blip.TV/file/1"), 10);
  EXPECT_EQ(GetSiteID("http://www.DailyMotion.Com/x"), 11);
}

TEST(GetSiteID, FirstEntryInTableOrderWins) {
  // Google Video is tested first, even when its domain is only in the query.
  EXPECT_EQ(GetSiteID("http://www.youtube.com/watch?v=x&from=google.com"), 1);
  EXPECT_EQ(GetSiteID("http://www.zippyvideos.com/?ref=break.com"), 9);
  EXPECT_EQ(GetSiteID("http://blip.tv/?r=bolt.com"), 3);
}

TEST(GetSiteID, UnknownAddressesAndNeverSeven) {
  for (const char *address :
       {"", "http://example.com/", "http://youtube.co/x", "http://google.de", "blip", "google com"})
    EXPECT_EQ(GetSiteID(address), kNoSite) << address;
  for (const SiteEntry &entry : kSiteTable) {
    EXPECT_NE(entry.site, 7);
    EXPECT_EQ(GetSiteID("http://www." + std::string(entry.domain) + "/"), entry.site);
  }
}
