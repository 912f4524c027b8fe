#include "sites/VideoPageAddress.h"

#include "base/TrimBlanks.h"
#include "net/WebAddress.h"
#include "sites/SiteTable.h"

#include <string>

namespace vidtrawl::sites {
namespace {

bool OnDomain(const std::string &host, std::string_view domain) {
  return host == domain || (host.size() > domain.size() && host.ends_with(domain) &&
                            host[host.size() - domain.size() - 1] == '.');
}

} // namespace

bool IsVideoPageAddress(std::string_view text, SiteRule rule) {
  text = base::TrimBlanks(text);
  if (text.empty() || text.size() > kMaxCopiedAddress ||
      text.find_first_of("\r\n") != std::string_view::npos)
    return false;
  const std::optional<net::WebAddress> address = net::ParseWebAddress(text);
  if (!address)
    return false;
  for (const Site *site : Sites())
    if (site->kind == SiteKind::Known && OnDomain(address->host, site->domain))
      return site->isVideoPage(*address);
  const Site *site = SiteOfAddress(text, rule);
  return site != nullptr && site->kind != SiteKind::Known && site->isVideoPage != nullptr &&
         site->isVideoPage(*address);
}

} // namespace vidtrawl::sites
