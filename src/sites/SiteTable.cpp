#include "sites/SiteTable.h"

#include "net/WebAddress.h"
#include "sites/TextSearch.h"

#include <array>

namespace vidtrawl::sites {

// Each site's record, in a file of its own.
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

namespace {

// The first domain found in an address decides; the sites of no domain come last.
// clang-format off
const std::array kTable{
    &kGoogleVideo,
    &kYoutube,
    &kBolt,
    &kMyspace,
    &kAngryAlien,
    &kThatVideoSite,
    &kIFilm,
    &kBreak,
    &kBlipTV,
    &kDailyMotion,
    &kPutFile,
    &kZippyVideos,
    &kDirectFile,
    &kAnyPage,
};
// clang-format on

} // namespace

const Site &AnyPageSite() {
  return kAnyPage;
}

std::span<const Site *const> Sites() {
  return kTable;
}

const Site *SiteOfAddress(std::string_view address, SiteRule rule) {
  for (const Site *site : kTable)
    if (site->kind == SiteKind::Known && ContainsNoCase(address, site->domain))
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

} // namespace vidtrawl::sites
