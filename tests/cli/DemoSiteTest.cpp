#include "cli/DemoSite.h"
#include "resolve/PageParsers.h"
#include "resolve/SiteTable.h"

#include <gtest/gtest.h>

#include <set>

namespace vidtrawl::cli {
namespace {

TEST(DemoSite, EachSiteParserFindsItsVideo) {
  const DemoSite &site = TheDemoSite();
  ASSERT_EQ(site.pages.size(), 12u);
  std::set<int> sites;
  for (const DemoPage &page : site.pages) {
    SCOPED_TRACE(page.site);
    const int id = resolve::GetSiteID(page.address);
    sites.insert(id);
    std::string player;
    const std::string found =
        resolve::ParsePage(id, page.body, page.address, [&](const std::string &address) {
          player = address;
          // What the redirect resolver makes of the demo's redirection.
          const std::string &location = site.redirect.location;
          return "http://www.youtube.com/get_video" + location.substr(location.find('?'));
        });
    EXPECT_EQ(found, page.videoAddress);
    if (id == resolve::kSiteYoutube) {
      EXPECT_EQ(player,
                "http://www.youtube.com" + site.redirect.playerPath + "?video_id=vidtrawl42");
    }
  }
  EXPECT_EQ(sites.size(), 12u) << "one page per site";
  EXPECT_EQ(resolve::GetSiteID(site.unsupportedAddress), resolve::kNoSite);
}

TEST(DemoSite, PathsAndFileNamesAreDistinctAndEveryVideoIsReachable) {
  const DemoSite &site = TheDemoSite();
  std::set<std::string> paths{site.redirect.playerPath}, names;
  for (const DemoPage &page : site.pages) {
    EXPECT_TRUE(paths.insert(page.path).second) << page.path;
    EXPECT_TRUE(names.insert(page.fileName).second) << page.fileName;
  }
  std::size_t unannounced = 0;
  for (const DemoVideo &video : site.videos) {
    EXPECT_TRUE(paths.insert(video.path).second) << video.path;
    std::size_t pointing = 0;
    for (const DemoPage &page : site.pages)
      pointing += page.videoAddress.find(video.path) != std::string::npos;
    EXPECT_EQ(pointing, 1u) << video.path;
    EXPECT_GE(video.size, 256u * 1024);
    EXPECT_LE(video.size, 4u * 1024 * 1024);
    unannounced += video.announced ? 0 : 1;
  }
  EXPECT_EQ(site.videos.size(), 12u);
  EXPECT_GT(unannounced, 0u);
  EXPECT_LT(unannounced, site.videos.size());
}

TEST(DemoSite, VideoBytesAreDeterministicFlashVideo) {
  const DemoVideo &first = TheDemoSite().videos[0];
  const std::string bytes = DemoVideoBytes(first);
  EXPECT_EQ(bytes.size(), first.size);
  EXPECT_EQ(bytes.substr(0, 4), "FLV\x01");
  EXPECT_EQ(bytes, DemoVideoBytes(first));
  EXPECT_NE(bytes, DemoVideoBytes(TheDemoSite().videos[2]).substr(0, bytes.size()));
}

} // namespace
} // namespace vidtrawl::cli
