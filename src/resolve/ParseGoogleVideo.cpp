#include "net/UrlHelpers.h"
#include "resolve/PageParsers.h"
#include "resolve/PageSearch.h"

namespace vidtrawl::resolve {
namespace {

// The iPod download link: the href before "ipoddownloadlink", quoted, with
// its HTML-escaped ampersands restored and its percent escapes kept.
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

} // namespace

std::string ParseGoogleVideo(std::string_view pageText, std::string_view) {
  if (const std::optional<Pos> ipod = FindFrom(pageText, "ipoddownloadlink", 1))
    return IpodLink(pageText, *ipod);
  return VideoUrl(pageText);
}

} // namespace vidtrawl::resolve
