// AngryAlien: the address of the page's embedded movie.
#include "base/NumberScan.h"
#include "sites/AddressShape.h"
#include "sites/ExtractionRule.h"
#include "sites/Site.h"

namespace vidtrawl::sites {
namespace {

constexpr std::string_view kMarker = "<embed src=\"";
static_assert(kMarker.size() == 12);
// The value follows the marker and ends at the next double quote.
constexpr ExtractionRule kRule{kMarker, 12, "\"", 12};

PageFinding Parse(std::string_view text, std::string_view) {
  return ExtractAbsoluteAddress(text, kRule);
}

// /0604/NAME.asp
bool IsVideoPage(const net::WebAddress &address) {
  const std::vector<std::string_view> s = PathSegments(address.path);
  return s.size() == 2 && base::AllDigits(s[0]) && SegmentEndsWith(s[1], ".asp");
}

} // namespace

extern const Site kAngryAlien{
    .name = "AngryAlien",
    .domain = "angryalien.com",
    .isVideoPage = IsVideoPage,
    .parse = Parse,
    .naming = {},
    .sample = {
        .address = "http://www.angryalien.com/0604/fightclubbunnies.asp",
        .text = "<html><body><center>\n<embed "
                "src=\"http://www.angryalien.com/0604/fightclub-bunnies.flv\" "
                "width=\"400\" height=\"300\" autostart=\"true\">\n</center></body></html>\n",
        .videoAddress = "http://www.angryalien.com/0604/fightclub-bunnies.flv",
        .fileName = "fightclub-bunnies.flv",
        .video = {"/0604/fightclub-bunnies.flv", 384 * 1024, true, ""},
    }};

} // namespace vidtrawl::sites
