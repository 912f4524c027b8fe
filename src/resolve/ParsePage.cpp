#include "resolve/PageParsers.h"
#include "resolve/SiteTable.h"

namespace vidtrawl::resolve {

std::string ParsePage(int site, std::string_view pageText, std::string_view pageAddress,
                      const PlayerResolver &resolvePlayer) {
  switch (site) {
  case kSiteGoogleVideo:
    return ParseGoogleVideo(pageText, pageAddress);
  case kSiteYoutube:
    return ParseYoutube(pageText, pageAddress, resolvePlayer);
  case kSiteBolt:
    return ParseBolt(pageText, pageAddress);
  case kSiteMyspace:
    return ParseMyspace(pageText, pageAddress);
  case kSiteAngryAlien:
    return ParseAngryAlien(pageText, pageAddress);
  case kSiteThatVideoSite:
    return ParseThatVideoSite(pageText, pageAddress);
  case kSiteIFilm:
    return ParseIFilm(pageText, pageAddress);
  case kSiteBreak:
    return ParseBreak(pageText, pageAddress);
  case kSiteBlipTV:
    return ParseBlipTV(pageText, pageAddress);
  case kSiteDailyMotion:
    return ParseDailyMotion(pageText, pageAddress);
  case kSitePutFile:
    return ParsePutFile(pageText, pageAddress);
  case kSiteZippyVideos:
    return ParseZippyVideos(pageText, pageAddress);
  default:
    return {};
  }
}

} // namespace vidtrawl::resolve
