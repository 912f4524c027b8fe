#include "resolve/LinkFetcher.h"

#include "resolve/PageParsers.h"
#include "resolve/SiteTable.h"

#include <system_error>

namespace vidtrawl::resolve {
namespace {

// Clears a flag however the scope is left.
class FlagScope {
public:
  explicit FlagScope(bool &flag) : flag_(flag) { flag_ = true; }
  ~FlagScope() { flag_ = false; }
  FlagScope(const FlagScope &) = delete;
  FlagScope &operator=(const FlagScope &) = delete;

private:
  bool &flag_;
};

} // namespace

LinkFetcher::LinkFetcher(transfer::Download &download, RedirectResolver &resolver,
                         scheduler::WindowState &state, std::filesystem::path scratchFile)
    : download_(download), resolver_(resolver), state_(state),
      scratchFile_(std::move(scratchFile)) {}

std::string LinkFetcher::GetDownloadLink(std::string sLink) {
  if (GetSiteID(sLink) == kNoSite)
    return kResultNoSupportedSite;

  state_.sDownloadResult.clear();
  download_.SetUrl(sLink);
  // Removing a file needs no write permission on the file itself, so a
  // read-only page left from an earlier run goes as well.
  std::error_code ec;
  std::filesystem::remove(scratchFile_, ec);
  download_.SetLocalFile(scratchFile_.string());

  try {
    FlagScope gettingLink(state_.bGettingLink);
    download_.StartDownload();
  } catch (const transfer::TransferFault &) {
    // The page could not be written or its size header could not be read:
    // the page was not fetched.
    return kResultPageNotFetched;
  }
  if (state_.sDownloadResult != "1")
    return kResultPageNotFetched;

  const std::string address =
      ParsePageFile(GetSiteID(sLink), scratchFile_, sLink, [this](const std::string &player) {
        return resolver_.GetYoutubePathLnik(player);
      });
  return address.empty() ? kResultNoVideoAddress : address;
}

} // namespace vidtrawl::resolve
