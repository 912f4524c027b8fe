#include "resolve/VideoPageAddress.h"

#include "base/AsciiCase.h"
#include "base/TrimBlanks.h"
#include "net/WebAddress.h"
#include "resolve/SiteTable.h"

#include <algorithm>
#include <cctype>
#include <string>
#include <vector>

namespace vidtrawl::resolve {
namespace {

using net::WebAddress;

// The non-empty segments of a path: "/a/b/" gives a and b.
std::vector<std::string_view> Segments(std::string_view path) {
  std::vector<std::string_view> segments;
  while (!path.empty()) {
    const std::size_t slash = std::min(path.find('/'), path.size());
    if (slash > 0)
      segments.push_back(path.substr(0, slash));
    path.remove_prefix(std::min(slash + 1, path.size()));
  }
  return segments;
}

bool Is(std::string_view segment, std::string_view name) {
  return base::EqualsIgnoringCase(segment, name);
}

bool EndsWith(std::string_view segment, std::string_view ending) {
  return segment.size() > ending.size() &&
         Is(segment.substr(segment.size() - ending.size()), ending);
}

bool AllDigits(std::string_view segment) {
  return std::all_of(segment.begin(), segment.end(),
                     [](char c) { return std::isdigit(static_cast<unsigned char>(c)); });
}

// The value of a query parameter (names compared without regard to case);
// empty when it is missing.
std::string_view Parameter(std::string_view query, std::string_view name) {
  while (!query.empty()) {
    const std::size_t amp = std::min(query.find('&'), query.size());
    const std::string_view pair = query.substr(0, amp);
    const std::size_t equals = pair.find('=');
    if (equals != std::string_view::npos && Is(pair.substr(0, equals), name))
      return pair.substr(equals + 1);
    query.remove_prefix(std::min(amp + 1, query.size()));
  }
  return {};
}

// "/video/ID", the shape of most of the sites' video pages.
bool VideoAndId(const std::vector<std::string_view> &s) {
  return s.size() == 2 && Is(s[0], "video");
}

// The shape of each site's video pages, as its parser reads them.
bool HasVideoPageShape(int site, const WebAddress &address) {
  const std::vector<std::string_view> s = Segments(address.path);
  switch (site) {
  case kSiteGoogleVideo: // /videoplay?docid=N
    return s.size() == 1 && Is(s[0], "videoplay") && !Parameter(address.query, "docid").empty();
  case kSiteYoutube: // /watch?v=ID
    return s.size() == 1 && Is(s[0], "watch") && !Parameter(address.query, "v").empty();
  case kSiteBolt: // /video/NAME, also under a member's path
    return s.size() >= 2 && Is(s[s.size() - 2], "video");
  case kSiteMyspace: // ...?fuseaction=vids.individual&videoid=N: the parser needs 5 digits
    return Parameter(address.query, "videoid").size() >= 5;
  case kSiteAngryAlien: // /0604/NAME.asp
    return s.size() == 2 && AllDigits(s[0]) && EndsWith(s[1], ".asp");
  case kSiteBreak: // /index/NAME.html
    return s.size() == 2 && Is(s[0], "index") &&
           (EndsWith(s[1], ".html") || EndsWith(s[1], ".htm"));
  case kSiteBlipTV: // /file/N
    return s.size() == 2 && Is(s[0], "file") && AllDigits(s[1]);
  case kSitePutFile: // media.putfile.com/NAME, or /video/ID
    return VideoAndId(s) || (address.host == "media.putfile.com" && s.size() == 1);
  case kSiteZippyVideos: // /N/NAME/
    return s.size() == 2 && AllDigits(s[0]);
  case kSiteThatVideoSite:
  case kSiteIFilm:
  case kSiteDailyMotion:
    return VideoAndId(s);
  default:
    return false;
  }
}

bool OnDomain(const std::string &host, std::string_view domain) {
  return host == domain || (host.size() > domain.size() && host.ends_with(domain) &&
                            host[host.size() - domain.size() - 1] == '.');
}

} // namespace

bool IsVideoPageAddress(std::string_view text) {
  text = base::TrimBlanks(text);
  if (text.empty() || text.size() > kMaxCopiedAddress ||
      text.find_first_of("\r\n") != std::string_view::npos)
    return false;
  const std::optional<WebAddress> address = net::ParseWebAddress(text);
  if (!address)
    return false;
  for (const SiteEntry &entry : kSiteTable)
    if (OnDomain(address->host, entry.domain))
      return HasVideoPageShape(entry.site, *address);
  return false;
}

} // namespace vidtrawl::resolve
