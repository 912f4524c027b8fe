// Bolt: the page quotes its own address with its picture's; the movie lies
// next to the picture.
#include "sites/AddressShape.h"
#include "sites/Site.h"
#include "sites/TextSearch.h"

namespace vidtrawl::sites {
namespace {

// The picture's address without its last "_" part (else its extension),
// under "/movie/" instead of "/image/", with ".flv" unless it has one.
PageFinding Parse(std::string_view text, std::string_view pageAddress) {
  std::string marker = "Value=\"[url=";
  marker += pageAddress;
  marker += "][IMG]";
  const std::optional<Pos> m = FindFrom(text, marker, 1);
  if (!m)
    return {};
  const Pos v = *m + static_cast<Pos>(marker.size());
  const std::optional<Pos> d = FindFrom(text, "[/IMG]", v);
  if (!d)
    return {};
  std::optional<std::string> image = Mid(text, v, *d - v);
  if (!image)
    return {};

  std::string value = std::move(*image);
  if (const std::size_t cut = value.rfind('_'); cut != std::string::npos)
    value.resize(cut);
  else if (const std::size_t dot = value.rfind('.'); dot != std::string::npos)
    value.resize(dot);
  value = ReplaceAll(value, "/image/", "/movie/");
  if (!ContainsNoCase(value, ".flv"))
    value += ".flv";
  return value;
}

// /video/NAME, also under a member's path
bool IsVideoPage(const net::WebAddress &address) {
  const std::vector<std::string_view> s = PathSegments(address.path);
  return s.size() >= 2 && SegmentIs(s[s.size() - 2], "video");
}

} // namespace

extern const Site kBolt{
    .name = "Bolt",
    .domain = "bolt.com",
    .isVideoPage = IsVideoPage,
    .parse = Parse,
    .naming = {},
    .sample = {
        .address = "http://www.bolt.com/video/vidtrawl-skate",
        .text = "<html><body><p>Share this video:</p>\n"
                "<input type=\"text\" Value=\"[url=http://www.bolt.com/video/vidtrawl-skate][IMG]"
                "http://images.bolt.com/image/bolt-skate_thumb.jpg[/IMG][/url]\" />\n"
                "</body></html>\n",
        .videoAddress = "http://images.bolt.com/movie/bolt-skate.flv",
        .fileName = "bolt-skate.flv",
        .video = {"/movie/bolt-skate.flv", 640 * 1024, true, ""},
    }};

} // namespace vidtrawl::sites
