// ThatVideoSite: the address of the page's embedded movie, in single quotes.
#include "sites/AddressShape.h"
#include "sites/ExtractionRule.h"
#include "sites/Site.h"

namespace vidtrawl::sites {
namespace {

constexpr std::string_view kMarker = "<embed src='";
static_assert(kMarker.size() == 12);
// The value follows the marker and ends at the next single quote.
constexpr ExtractionRule kRule{kMarker, 12, "'", 12};

PageFinding Parse(std::string_view text, std::string_view) {
  return ExtractAbsoluteAddress(text, kRule);
}

bool IsVideoPage(const net::WebAddress &address) {
  return IsVideoAndId(address.path);
}

} // namespace

extern const Site kThatVideoSite{
    .name = "ThatVideoSite",
    .domain = "thatvideosite.com",
    .isVideoPage = IsVideoPage,
    .parse = Parse,
    .naming = {},
    .sample = {
        .address = "http://www.thatvideosite.com/video/3107",
        .text = "<html><body><div class='player'>\n<embed src='http://www.thatvideosite.com/"
                "media/thatvideosite-3107.flv' type='application/x-shockwave-flash' "
                "width='425'>\n</div></body></html>\n",
        .videoAddress = "http://www.thatvideosite.com/media/thatvideosite-3107.flv",
        .fileName = "thatvideosite-3107.flv",
        .video = {"/media/thatvideosite-3107.flv", 896 * 1024, true, ""},
    }};

} // namespace vidtrawl::sites
