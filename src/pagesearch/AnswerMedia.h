#pragma once

#include "pagesearch/VideoProtocol.h"

#include <optional>
#include <string_view>

namespace vidtrawl::pagesearch {

// Whether a Content-Type names a streaming playlist, and which: HLS's
// (application/vnd.apple.mpegurl, application/x-mpegURL, audio/mpegurl) or
// DASH's (application/dash+xml), in any letter case; nothing for any other.
std::optional<VideoProtocol> PlaylistOfType(std::string_view contentType);

// What an answer is by what its server sends before the body: a video file
// (a video/* type, or application/octet-stream or no type with the name of
// a video file: the Content-Disposition's, or the last part of the address
// after redirections), a streaming playlist (PlaylistOfType), or nothing:
// a page to read.
std::optional<VideoProtocol> AnswerMedia(std::string_view contentType, std::string_view fileName,
                                         std::string_view address);

} // namespace vidtrawl::pagesearch
