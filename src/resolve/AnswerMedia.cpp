#include "resolve/AnswerMedia.h"

#include "base/AsciiCase.h"
#include "base/TrimBlanks.h"
#include "resolve/VideoFiles.h"

namespace vidtrawl::resolve {

std::optional<VideoProtocol> AnswerMedia(std::string_view contentType, std::string_view fileName,
                                         std::string_view address) {
  using base::EqualsIgnoringCase;
  const std::string_view type = base::TrimBlanks(contentType.substr(0, contentType.find(';')));
  if (EqualsIgnoringCase(type, "application/vnd.apple.mpegurl") ||
      EqualsIgnoringCase(type, "application/x-mpegurl"))
    return VideoProtocol::Hls;
  if (EqualsIgnoringCase(type, "application/dash+xml"))
    return VideoProtocol::Dash;
  if (base::StartsWithIgnoringCase(type, "video/"))
    return VideoProtocol::File;
  // A server that knows no better type for a file says only that it is bytes.
  if ((type.empty() || EqualsIgnoringCase(type, "application/octet-stream")) &&
      (NamesVideoFile(fileName) || NamesVideoFile(address)))
    return VideoProtocol::File;
  return std::nullopt;
}

} // namespace vidtrawl::resolve
