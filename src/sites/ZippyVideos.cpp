// ZippyVideos: the player's parameters name the server and the video. Flash
// video under names of its own.
#include "base/NumberScan.h"
#include "sites/AddressShape.h"
#include "sites/ExtractionRule.h"
#include "sites/Site.h"

namespace vidtrawl::sites {
namespace {

// Each value follows its marker; its delimiter is looked for from the
// marker's position.
constexpr ExtractionRule Rule(std::string_view marker, std::string_view delimiter) {
  return ExtractionRule{marker, static_cast<Pos>(marker.size()), delimiter, 0};
}

constexpr ExtractionRule kStorageId = Rule("storageId=", "&");
constexpr ExtractionRule kUserName = Rule("userName=", "&");
constexpr ExtractionRule kVideoId = Rule("videoId=", "&");
constexpr ExtractionRule kServer = Rule("srvURL=", "'");

// server/storage id/user name/video id, with no extension.
PageFinding Parse(std::string_view text, std::string_view) {
  const std::optional<std::string> storageId = ExtractValue(text, kStorageId);
  if (!storageId)
    return {};
  const std::optional<std::string> userName = ExtractValue(text, kUserName);
  if (!userName)
    return {};
  const std::optional<std::string> videoId = ExtractValue(text, kVideoId);
  if (!videoId)
    return {};
  const std::optional<std::string> server = ExtractValue(text, kServer);
  if (!server)
    return {};
  return *server + "/" + *storageId + "/" + *userName + "/" + *videoId;
}

// /N/NAME/
bool IsVideoPage(const net::WebAddress &address) {
  const std::vector<std::string_view> s = PathSegments(address.path);
  return s.size() == 2 && base::AllDigits(s[0]);
}

} // namespace

extern const Site kZippyVideos{
    .name = "ZippyVideos",
    .domain = "zippyvideos.com",
    .isVideoPage = IsVideoPage,
    .parse = Parse,
    .naming = {.flashSuffix = true},
    .sample = {
        .address = "http://www.zippyvideos.com/4518/vidtrawl-nets/",
        .text = "<html><body>\n<embed src='http://www.zippyvideos.com/flash/player.swf?"
                "storageId=4518&userName=vidtrawl&videoId=zippy-nets&autoplay=1' "
                "srvURL=http://www15.zippyvideos.com' width='450'>\n</body></html>\n",
        .videoAddress = "http://www15.zippyvideos.com/4518/vidtrawl/zippy-nets",
        .fileName = "zippy-nets.flv",
        .video = {"/4518/vidtrawl/zippy-nets", 320 * 1024, false, ""},
    }};

} // namespace vidtrawl::sites
