// Blip: the page's permalink field holds the file's address.
#include "base/NumberScan.h"
#include "sites/AddressShape.h"
#include "sites/ExtractionRule.h"
#include "sites/Site.h"

namespace vidtrawl::sites {
namespace {

constexpr std::string_view kMarker =
    "readonly=\"readonly\" type=\"text\" class=\"permalink_input\" value=\"";
static_assert(kMarker.size() == 63);
// The value follows the marker; its closing quote is looked for from the
// value's tenth character on.
constexpr ExtractionRule kRule{kMarker, 63, "\"", 72};

PageFinding Parse(std::string_view text, std::string_view) {
  return ExtractValue(text, kRule).value_or(std::string());
}

// /file/N
bool IsVideoPage(const net::WebAddress &address) {
  const std::vector<std::string_view> s = PathSegments(address.path);
  return s.size() == 2 && SegmentIs(s[0], "file") && base::AllDigits(s[1]);
}

} // namespace

extern const Site kBlipTV{
    .name = "Blip",
    .domain = "blip.tv",
    .isVideoPage = IsVideoPage,
    .parse = Parse,
    .naming = {},
    .sample = {
        .address = "http://blip.tv/file/512204",
        .text = "<html><body><label>Permalink</label>\n<input readonly=\"readonly\" "
                "type=\"text\" class=\"permalink_input\" "
                "value=\"http://blip.tv/file/get/Vidtrawl-NetMending512.flv\" />\n"
                "</body></html>\n",
        .videoAddress = "http://blip.tv/file/get/Vidtrawl-NetMending512.flv",
        .fileName = "Vidtrawl-NetMending512.flv",
        .video = {"/file/get/Vidtrawl-NetMending512.flv", 2560 * 1024, true, ""},
    }};

} // namespace vidtrawl::sites
