#include "extractor/WhenAsked.h"

#include "pagesearch/VideoHosts.h"

namespace vidtrawl::extractor {

std::string WhyAsked(const ExtractorSettings &settings, const sites::Site *site,
                     const std::string &page, const base::Fault *fault) {
  if (!settings.Enabled() || site == nullptr || site->kind == sites::SiteKind::VideoFile)
    return {};
  if (fault == nullptr) {
    // A video host's pages name no file of their own: its address goes to the extractor at once,
    // unless one of the known sites has a rule of its own for it.
    const std::string_view host = pagesearch::VideoHostOf(page);
    return site->kind == sites::SiteKind::AnyPage && !host.empty()
               ? "the address is on " + std::string(host)
               : std::string();
  }
  switch (fault->kind) {
  case base::FaultKind::SitePageNamesNoVideo:
  case base::FaultKind::PlayerLookup:
    return std::string(site->name) + "'s rule found no video";
  case base::FaultKind::NoVideoFoundOnPage:
    return "no video found on this page";
  case base::FaultKind::HostedVideo:
    return "the video is hosted on " + fault->detail;
  default:
    return {};
  }
}

} // namespace vidtrawl::extractor
