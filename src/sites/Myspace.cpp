// MySpace: the video's address follows from the number in the page address
// alone.
#include "sites/AddressShape.h"
#include "sites/Site.h"
#include "sites/TextSearch.h"

namespace vidtrawl::sites {
namespace {

// base + p/d1/d2/n.flv, p being the number without its last five characters
// padded to seven, d1 and d2 its last four characters in pairs, reversed.
PageFinding Parse(std::string_view, std::string_view pageAddress) {
  const std::optional<Pos> k = FindFrom(pageAddress, "videoid=", 1);
  if (!k)
    return {};
  const std::optional<std::string> number = MidToEnd(pageAddress, *k + 8);
  if (!number || number->size() < 5)
    return {};
  const std::string &n = *number;
  const std::size_t size = n.size();

  std::string p = n.substr(0, size - 5);
  if (p.size() < 7)
    p.insert(0, 7 - p.size(), '0');
  const std::string d1{n[size - 1], n[size - 2]};
  const std::string d2{n[size - 3], n[size - 4]};
  return "http://content.myspace.com/" + p + "/" + d1 + "/" + d2 + "/" + n + ".flv";
}

// ...?fuseaction=vids.individual&videoid=N: the parser needs 5 digits
bool IsVideoPage(const net::WebAddress &address) {
  return QueryParameter(address.query, "videoid").size() >= 5;
}

} // namespace

extern const Site kMyspace{
    .name = "MySpace",
    .domain = "myspace.com",
    .isVideoPage = IsVideoPage,
    .parse = Parse,
    .naming = {},
    .sample = {
        .address =
            "http://vids.myspace.com/index.cfm?fuseaction=vids.individual&videoid=2071385001",
        .text = "<html><head><title>MySpaceTV Videos: Lighthouse keeper</title></head><body>\n"
                "<div id=\"tv_player\">Lighthouse keeper</div>\n</body></html>\n",
        .videoAddress = "http://content.myspace.com/0020713/10/05/2071385001.flv",
        .fileName = "2071385001.flv",
        .video = {"/0020713/10/05/2071385001.flv", 1152 * 1024, true, ""},
    }};

} // namespace vidtrawl::sites
