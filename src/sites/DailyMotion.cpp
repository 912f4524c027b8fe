// DailyMotion: the player's percent-encoded "url" variable. Flash video
// under names of its own.
#include "net/UrlHelpers.h"
#include "sites/AddressShape.h"
#include "sites/ExtractionRule.h"
#include "sites/Site.h"

namespace vidtrawl::sites {
namespace {

constexpr std::string_view kMarker = "addVariable(\"url\",";
static_assert(kMarker.size() == 18);
// The two characters after the marker (a blank and the opening quote) are
// skipped; the value ends at the next double quote.
constexpr ExtractionRule kRule{kMarker, 20, "\"", 20};

PageFinding Parse(std::string_view text, std::string_view) {
  const std::optional<std::string> value = ExtractValue(text, kRule);
  if (!value)
    return {};
  return net::UnescapeURL(*value);
}

bool IsVideoPage(const net::WebAddress &address) {
  return IsVideoAndId(address.path);
}

} // namespace

extern const Site kDailyMotion{
    .name = "DailyMotion",
    .domain = "dailymotion.com",
    .isVideoPage = IsVideoPage,
    .parse = Parse,
    .naming = {.flashSuffix = true},
    .sample = {
        .address = "http://www.dailymotion.com/video/x3seagulls",
        .text = "<html><body><script type=\"text/javascript\">\nvar so = new SWFObject();\n"
                "so.addVariable(\"url\", \"http%3A%2F%2Fwww.dailymotion.com%2Fget%2F14%2F"
                "320x240%2Fflv%2Fdailymotion-seagulls\");\nso.write(\"video_player\");\n"
                "</script></body></html>\n",
        .videoAddress = "http://www.dailymotion.com/get/14/320x240/flv/dailymotion-seagulls",
        .fileName = "dailymotion-seagulls.flv",
        .video = {"/get/14/320x240/flv/dailymotion-seagulls", 1280 * 1024, false, ""},
    }};

} // namespace vidtrawl::sites
