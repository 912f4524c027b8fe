// PutFile: the first Flash (else Windows Media) video address in the page.
#include "sites/AddressShape.h"
#include "sites/Site.h"
#include "sites/TextSearch.h"

namespace vidtrawl::sites {
namespace {

// From the "http" before the first ".flv" (else the first ".wmv") through
// the extension.
PageFinding Parse(std::string_view text, std::string_view) {
  std::optional<Pos> e = FindFrom(text, ".flv", 1);
  if (!e)
    e = FindFrom(text, ".wmv", 1);
  if (!e)
    return {};
  const std::optional<Pos> h = FindBackward(text, "http", *e);
  if (!h)
    return {};
  return Mid(text, *h, *e - *h + 4).value_or(std::string());
}

// media.putfile.com/NAME, or /video/ID
bool IsVideoPage(const net::WebAddress &address) {
  return IsVideoAndId(address.path) ||
         (address.host == "media.putfile.com" && PathSegments(address.path).size() == 1);
}

} // namespace

extern const Site kPutFile{
    .name = "PutFile",
    .domain = "putfile.com",
    .isVideoPage = IsVideoPage,
    .parse = Parse,
    .naming = {},
    .sample = {
        .address = "http://media.putfile.com/Rope-Knots-21",
        .text = "<html><body><script type=\"text/javascript\">\n"
                "var so = new SWFObject('/flow.swf');\n"
                "so.addVariable(\"file\",\"http://x.putfile.com/flv/putfile-rope-knots.flv\");\n"
                "</script></body></html>\n",
        .videoAddress = "http://x.putfile.com/flv/putfile-rope-knots.flv",
        .fileName = "putfile-rope-knots.flv",
        .video = {"/flv/putfile-rope-knots.flv", 768 * 1024, true, ""},
    }};

} // namespace vidtrawl::sites
