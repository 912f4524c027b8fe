#include "resolve/SiteTable.h"

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
} // namespace sites

namespace {

// The first domain found in an address decides.
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
};
// clang-format on

} // namespace

std::span<const Site *const> Sites() {
  return kTable;
}

const Site *SiteOfAddress(std::string_view address) {
  for (const Site *site : kTable)
    if (ContainsNoCase(address, site->domain))
      return site;
  return nullptr;
}

} // namespace vidtrawl::resolve
