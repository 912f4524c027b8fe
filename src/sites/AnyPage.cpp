// Any other web page: the video file its standard markup names. The engine
// reads such a page through a WebPageLookup, which also takes what the
// server sends, follows a player page and tells a hosted video.
#include "pagesearch/PageVideo.h"
#include "sites/Site.h"

namespace vidtrawl::sites {
namespace {

PageFinding Parse(std::string_view text, std::string_view pageAddress) {
  pagesearch::PageVideo found = pagesearch::FindPageVideo(text, pageAddress);
  PageFinding finding(std::move(found.address));
  finding.title = std::move(found.title);
  return finding;
}

bool AnyAddress(const net::WebAddress &) {
  return true;
}

} // namespace

extern const Site kAnyPage{
    .kind = SiteKind::AnyPage,
    .name = "web page",
    .domain = "",
    // Copying an ordinary link must not start a download.
    .isVideoPage = nullptr,
    .parse = Parse,
    .naming = {.titleOrPath = true},
    .sample =
        {
            .address = "http://blog.example.net/2026/11/trawler-season",
            .text = "<!doctype html><html><head><title>Trawler season | A harbour blog</title>\n"
                    "<meta property=\"og:title\" content=\"Trawler season\"></head><body>\n"
                    "<figure class=\"wp-block-video\"><video controls "
                    "src=\"/media/trawler-season.webm\"></video></figure>\n</body></html>\n",
            .videoAddress = "http://blog.example.net/media/trawler-season.webm",
            .fileName = "Trawler season.webm",
            .video = {"/media/trawler-season.webm", 320 * 1024, false, ""},
        },
    .takes = AnyAddress,
};

} // namespace vidtrawl::sites
