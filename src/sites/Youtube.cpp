// YouTube: the page names only its player; the player's host turns the
// player address into the video's. Flash video under names of its own, kept
// short.
#include "sites/AddressShape.h"
#include "sites/Site.h"
#include "sites/TextSearch.h"

namespace vidtrawl::sites {
namespace {

// The player address lies between the first ";" after "embed src" and the
// next "&".
PageFinding Parse(std::string_view text, std::string_view) {
  const std::optional<Pos> m = FindFrom(text, "embed src", 1);
  if (!m)
    return {};
  const std::optional<Pos> a = FindFrom(text, ";", *m);
  if (!a)
    return {};
  const std::optional<Pos> b = FindFrom(text, "&", *a + 1);
  if (!b)
    return {};
  const std::optional<std::string> address = Mid(text, *a + 1, *b - *a - 1);
  if (!address || address->empty())
    return {};
  PageFinding found;
  found.player = *address;
  return found;
}

// /watch?v=ID
bool IsVideoPage(const net::WebAddress &address) {
  const std::vector<std::string_view> s = PathSegments(address.path);
  return s.size() == 1 && SegmentIs(s[0], "watch") && !QueryParameter(address.query, "v").empty();
}

} // namespace

extern const Site kYoutube{
    .name = "YouTube",
    .domain = "youtube.com",
    .isVideoPage = IsVideoPage,
    .parse = Parse,
    .naming = {.flashSuffix = true, .maxNameLength = 35},
    .sample = {
        .address = "http://www.youtube.com/watch?v=vidtrawl42",
        .text = "<html><head><title>YouTube - Harbour at dawn</title></head><body>\n"
                "<div id=\"playerDiv\"><embed src=\"/player2.swf\" flashvars=\"autoplay=1;"
                "http://www.youtube.com/v/vidtrawl42?video_id=vidtrawl42&amp;l=84\" "
                "type=\"application/x-shockwave-flash\"></embed></div>\n</body></html>\n",
        .videoAddress = "http://www.youtube.com/get_video?video_id=vidtrawl42&t=OEgsToPDskL",
        .fileName = "youtube-harbour.flv",
        .video = {"/get_video", 2304 * 1024, false, "youtube-harbour"},
        .playerPath = "/v/vidtrawl42",
        .playerLocation = "http://www.youtube.com/swf/l.swf?video_id=vidtrawl42&t=OEgsToPDskL",
    }};

} // namespace vidtrawl::sites
