// Google Video: the page's iPod download link, else its percent-encoded
// "videoUrl".
#include "net/UrlHelpers.h"
#include "sites/AddressShape.h"
#include "sites/Site.h"
#include "sites/TextSearch.h"

namespace vidtrawl::sites {
namespace {

// The href before "ipoddownloadlink", quoted, with its HTML-escaped
// ampersands restored and its percent escapes kept.
std::string IpodLink(std::string_view page, Pos ipod) {
  const std::optional<Pos> h = FindBackward(page, "href=", ipod);
  if (!h)
    return {};
  const Pos v = *h + 6; // after href= and its opening quote
  const std::optional<Pos> d = FindFrom(page, "\"", *h + 7);
  if (!d)
    return {};
  const std::optional<std::string> value = Mid(page, v, *d - v);
  if (!value)
    return {};
  return ReplaceAll(*value, "&amp;", "&");
}

// The percent-encoded address from the first "http" after "videoUrl" to
// the next double quote, decoded.
std::string VideoUrl(std::string_view page) {
  const std::optional<Pos> marker = FindFrom(page, "videoUrl", 1);
  if (!marker)
    return {};
  const std::optional<Pos> http = FindFrom(page, "http", *marker);
  if (!http)
    return {};
  const std::optional<Pos> quote = FindFrom(page, "\"", *http);
  if (!quote)
    return {};
  const std::optional<std::string> value = Mid(page, *http, *quote - *http);
  if (!value)
    return {};
  return net::UnescapeURL(*value);
}

PageFinding Parse(std::string_view text, std::string_view) {
  if (const std::optional<Pos> ipod = FindFrom(text, "ipoddownloadlink", 1))
    return IpodLink(text, *ipod);
  return VideoUrl(text);
}

// /videoplay?docid=N
bool IsVideoPage(const net::WebAddress &address) {
  const std::vector<std::string_view> s = PathSegments(address.path);
  return s.size() == 1 && SegmentIs(s[0], "videoplay") &&
         !QueryParameter(address.query, "docid").empty();
}

} // namespace

extern const Site kGoogleVideo{
    .name = "Google Video",
    .domain = "google.com",
    .isVideoPage = IsVideoPage,
    .parse = Parse,
    .naming = {},
    .sample = {
        .address = "http://video.google.com/videoplay?docid=7341970225",
        .text = "<html><head><title>Trawling the deep - Google Video</title></head><body>\n"
                "<div class=\"download\"><a href=\"http://vp.video.google.com/videodownload/"
                "google-deep-trawl.flv\" class=\"ipoddownloadlink\">Download for iPod</a></div>\n"
                "</body></html>\n",
        .videoAddress = "http://vp.video.google.com/videodownload/google-deep-trawl.flv",
        .fileName = "google-deep-trawl.flv",
        .video = {"/videodownload/google-deep-trawl.flv", 1536 * 1024, true, ""},
    }};

} // namespace vidtrawl::sites
