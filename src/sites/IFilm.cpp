// iFilm: the player's "url" variable, its ampersands written "$".
#include "sites/AddressShape.h"
#include "sites/ExtractionRule.h"
#include "sites/Site.h"

namespace vidtrawl::sites {
namespace {

constexpr std::string_view kMarker = "*url* : *http://";
static_assert(kMarker.size() == 16);
// The value begins with the "http://" at the marker's end and ends at the
// first "*," after the marker's start.
constexpr ExtractionRule kRule{kMarker, 9, "*,", 0};

PageFinding Parse(std::string_view text, std::string_view) {
  const std::optional<std::string> value = ExtractValue(text, kRule);
  if (!value)
    return {};
  return ReplaceAll(*value, "$", "&");
}

bool IsVideoPage(const net::WebAddress &address) {
  return IsVideoAndId(address.path);
}

} // namespace

extern const Site kIFilm{
    .name = "iFilm",
    .domain = "ifilm.com",
    .isVideoPage = IsVideoPage,
    .parse = Parse,
    .naming = {},
    .sample = {
        .address = "http://www.ifilm.com/video/2716532",
        .text = "<html><body><script type=\"text/javascript\">\n"
                "var flashvars = {*url* : *http://download.ifilm.com/flv/ifilm-2716532.flv*, "
                "*autoplay* : *true*};\n</script></body></html>\n",
        .videoAddress = "http://download.ifilm.com/flv/ifilm-2716532.flv",
        .fileName = "ifilm-2716532.flv",
        .video = {"/flv/ifilm-2716532.flv", 1792 * 1024, true, ""},
    }};

} // namespace vidtrawl::sites
