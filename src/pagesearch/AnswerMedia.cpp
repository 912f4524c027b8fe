#include "pagesearch/AnswerMedia.h"

#include "base/AsciiCase.h"
#include "base/TrimBlanks.h"
#include "pagesearch/VideoFiles.h"

namespace vidtrawl::pagesearch {

std::optional<VideoProtocol> PlaylistOfType(std::string_view contentType) {
  const std::string_view type = base::TrimBlanks(contentType.substr(0, contentType.find(';')));
  for (const char *hls : {"application/vnd.apple.mpegurl", "application/x-mpegurl", "audio/mpegurl",
                          "audio/x-mpegurl"})
    if (base::EqualsIgnoringCase(type, hls))
      return VideoProtocol::Hls;
  if (base::EqualsIgnoringCase(type, "application/dash+xml"))
    return VideoProtocol::Dash;
  return std::nullopt;
}

std::optional<VideoProtocol> AnswerMedia(std::string_view contentType, std::string_view fileName,
                                         std::string_view address) {
  using base::EqualsIgnoringCase;
  if (const std::optional<VideoProtocol> playlist = PlaylistOfType(contentType))
    return playlist;
  const std::string_view type = base::TrimBlanks(contentType.substr(0, contentType.find(';')));
  if (base::StartsWithIgnoringCase(type, "video/"))
    return VideoProtocol::File;
  // A server that knows no better type for a file says only that it is bytes.
  if ((type.empty() || EqualsIgnoringCase(type, "application/octet-stream")) &&
      (NamesVideoFile(fileName) || NamesVideoFile(address)))
    return VideoProtocol::File;
  return std::nullopt;
}

} // namespace vidtrawl::pagesearch
