#include "resolve/SiteTable.h"

#include "resolve/PageSearch.h"

namespace vidtrawl::resolve {

int GetSiteID(std::string_view sLink) {
  for (const SiteEntry &entry : kSiteTable)
    if (ContainsNoCase(sLink, entry.domain))
      return entry.site;
  return kNoSite;
}

} // namespace vidtrawl::resolve
