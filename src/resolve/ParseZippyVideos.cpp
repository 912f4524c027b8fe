#include "resolve/ExtractionRule.h"
#include "resolve/PageParsers.h"

namespace vidtrawl::resolve {
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

} // namespace

// server/storage id/user name/video id, with no extension.
std::string ParseZippyVideos(std::string_view pageText, std::string_view) {
  const std::optional<std::string> storageId = ExtractValue(pageText, kStorageId);
  if (!storageId)
    return {};
  const std::optional<std::string> userName = ExtractValue(pageText, kUserName);
  if (!userName)
    return {};
  const std::optional<std::string> videoId = ExtractValue(pageText, kVideoId);
  if (!videoId)
    return {};
  const std::optional<std::string> server = ExtractValue(pageText, kServer);
  if (!server)
    return {};
  return *server + "/" + *storageId + "/" + *userName + "/" + *videoId;
}

} // namespace vidtrawl::resolve
