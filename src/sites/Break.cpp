// Break: the media address joins the content path and the file name, both
// quoted in the page's script.
#include "sites/AddressShape.h"
#include "sites/Site.h"
#include "sites/TextSearch.h"

namespace vidtrawl::sites {
namespace {

constexpr std::string_view kFileNameMarker = "sGlobalFileName='";
constexpr std::string_view kContentPathMarker = "sGlobalContentFilePath='";
static_assert(kFileNameMarker.size() == 17 && kContentPathMarker.size() == 24);

// The content path is looked for only after the file name.
PageFinding Parse(std::string_view text, std::string_view) {
  const std::optional<Pos> f = FindFrom(text, kFileNameMarker, 1);
  if (!f)
    return {};
  const Pos nameStart = *f + 17;
  const std::optional<Pos> q = FindFrom(text, "'", *f + 18);
  if (!q)
    return {};
  const std::optional<std::string> name = Mid(text, nameStart, *q - nameStart);
  if (!name)
    return {};

  const std::optional<Pos> c = FindFrom(text, kContentPathMarker, *q);
  if (!c)
    return {};
  const Pos pathStart = *c + 24;
  const std::optional<Pos> end = FindFrom(text, "'", pathStart);
  if (!end)
    return {};
  const std::optional<std::string> path = Mid(text, pathStart, *end - pathStart);
  if (!path)
    return {};
  return "http://media1.break.com/dnet/media/" + *path + "/" + *name + ".flv";
}

// /index/NAME.html
bool IsVideoPage(const net::WebAddress &address) {
  const std::vector<std::string_view> s = PathSegments(address.path);
  return s.size() == 2 && SegmentIs(s[0], "index") &&
         (SegmentEndsWith(s[1], ".html") || SegmentEndsWith(s[1], ".htm"));
}

} // namespace

extern const Site kBreak{
    .name = "Break",
    .domain = "break.com",
    .isVideoPage = IsVideoPage,
    .parse = Parse,
    .naming = {},
    .sample = {
        .address = "http://www.break.com/index/trawler-in-a-storm.html",
        .text = "<html><head><script type=\"text/javascript\">\n"
                "var sGlobalFileName='break-trawler-storm';\n"
                "var sGlobalContentFilePath='2007/11';\n</script></head><body></body></html>\n",
        .videoAddress = "http://media1.break.com/dnet/media/2007/11/break-trawler-storm.flv",
        .fileName = "break-trawler-storm.flv",
        .video = {"/dnet/media/2007/11/break-trawler-storm.flv", 512 * 1024, false, ""},
    }};

} // namespace vidtrawl::sites
