#include "resolve/LinkFetcher.h"

#include "base/ScopedFlag.h"
#include "resolve/PageParsers.h"
#include "resolve/SiteTable.h"

#include <system_error>

namespace vidtrawl::resolve {

LinkFetcher::LinkFetcher(net::Download &download, RedirectResolver &resolver,
                         std::filesystem::path scratchFile)
    : download_(download), resolver_(resolver), scratchFile_(std::move(scratchFile)) {}

std::string LinkFetcher::GetDownloadLink(std::string sLink) {
  if (GetSiteID(sLink) == kNoSite)
    return kResultNoSupportedSite;
  if (scratchFile_.empty())
    return kResultPageNotFetched; // no folder for pages; the user was told why

  download_.SetUrl(sLink);
  // Removing a file needs no write permission on the file itself, so a
  // read-only page left from an earlier run goes as well.
  std::error_code ec;
  std::filesystem::remove(scratchFile_, ec);
  download_.SetLocalFile(scratchFile_.string());

  bool fetched = false;
  try {
    base::ScopedFlag gettingLink(bGettingLink_);
    fetched = download_.StartDownload();
  } catch (const net::TransferFault &) {
    // The page could not be written or its size header could not be read:
    // the page was not fetched.
  }
  if (!fetched)
    return kResultPageNotFetched;

  const std::string address =
      ParsePageFile(GetSiteID(sLink), scratchFile_, sLink, [this](const std::string &player) {
        return resolver_.GetYoutubePathLnik(player);
      });
  return address.empty() ? kResultNoVideoAddress : address;
}

} // namespace vidtrawl::resolve
