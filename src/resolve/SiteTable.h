#pragma once

#include <array>
#include <string_view>

namespace vidtrawl::resolve {

// Site numbers. 7 belongs to no site; kNoSite means no supported site.
inline constexpr int kNoSite = -1;
inline constexpr int kSiteGoogleVideo = 1;
inline constexpr int kSiteYoutube = 2;
inline constexpr int kSiteBolt = 3;
inline constexpr int kSiteMyspace = 4;
inline constexpr int kSiteAngryAlien = 5;
inline constexpr int kSiteThatVideoSite = 6;
inline constexpr int kSiteIFilm = 8;
inline constexpr int kSiteBreak = 9;
inline constexpr int kSiteBlipTV = 10;
inline constexpr int kSiteDailyMotion = 11;
inline constexpr int kSitePutFile = 12;
inline constexpr int kSiteZippyVideos = 13;

struct SiteEntry {
  std::string_view domain; // looked for anywhere in an address, any letter case
  int site;
};

// In the order in which addresses are tested: the first domain found decides.
inline constexpr std::array<SiteEntry, 12> kSiteTable{{
    {"google.com", kSiteGoogleVideo},
    {"youtube.com", kSiteYoutube},
    {"bolt.com", kSiteBolt},
    {"myspace.com", kSiteMyspace},
    {"angryalien.com", kSiteAngryAlien},
    {"thatvideosite.com", kSiteThatVideoSite},
    {"ifilm.com", kSiteIFilm},
    {"break.com", kSiteBreak},
    {"blip.tv", kSiteBlipTV},
    {"dailymotion.com", kSiteDailyMotion},
    {"putfile.com", kSitePutFile},
    {"zippyvideos.com", kSiteZippyVideos},
}};

// The site number of a page address, or kNoSite. The whole address is
// searched, path and query included.
int GetSiteID(std::string_view sLink);

} // namespace vidtrawl::resolve
