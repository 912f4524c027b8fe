#include "resolve/SiteTable.h"

#include "net/WebAddress.h"
#include "resolve/PageSearch.h"

#include <array>

namespace vidtrawl::resolve {

// Each site's record, in a file of its own under sites/.
namespace sites {
extern const Site kGoogleVideo;
extern const Site kYoutube;
extern const Site kBolt;
extern const Site kMyspace;
extern const Site kAngryAlien;
extern const Site kThatVideoSite;
extern const Site kIFilm;
extern const Site kBreak;
extern const Site kBlipTV;
extern const Site kDailyMotion;
extern const Site kPutFile;
extern const Site kZippyVideos;
extern const Site kDirectFile;
extern const Site kAnyPage;
} // namespace sites

namespace {

// The first domain found in an address decides; the sites of no domain come last.
// clang-format off
const std::array kTable{
    &sites::kGoogleVideo,
    &sites::kYoutube,
    &sites::kBolt,
    &sites::kMyspace,
    &sites::kAngryAlien,
    &sites::kThatVideoSite,
    &sites::kIFilm,
    &sites::kBreak,
    &sites::kBlipTV,
    &sites::kDailyMotion,
    &sites::kPutFile,
    &sites::kZippyVideos,
    &sites::kDirectFile,
    &sites::kAnyPage,
};
// clang-format on

} // namespace

const Site &AnyPageSite() {
  return sites::kAnyPage;
}

std::span<const Site *const> Sites() {
  return kTable;
}

const Site *SiteOfAddress(std::string_view address, SiteRule rule) {
  for (const Site *site : kTable)
    if (!site->domain.empty() && ContainsNoCase(address, site->domain))
      return site;
  if (rule == SiteRule::KnownSitesOnly)
    return nullptr;
  const std::optional<net::WebAddress> parsed = net::ParseWebAddress(address);
  if (!parsed)
    return nullptr;
  for (const Site *site : kTable)
    if (site->takes != nullptr && site->takes(*parsed))
      return site;
  return nullptr;
}

} // namespace vidtrawl::resolve
