#pragma once

#include "net/Download.h"

#include <string>

namespace vidtrawl::list {

// The local file name (already cleaned) and size text of a video file.
// `missing` holds why the server has no such file (it answered 404 or 410,
// or not at all): the item fails without a transfer.
struct FileInfo {
  std::string FileName;
  std::string SizeText;
  std::string missing;
};

// The longest local file names, in bytes (YouTube's are shorter).
inline constexpr std::size_t kMaxNameLength = 100;
inline constexpr std::size_t kMaxYoutubeNameLength = 35;

// Asks the server about the video file through the transfer component's
// information request and derives the local file name and the size text.
// Leaves the component's FileSize as the request set it, so that the transfer
// of the same address that follows reports its progress against it. A size
// header that is not a number ends the call with net::TransferFault. The
// name is cleaned (CleanFileName), then cut to its length at a character
// boundary, keeping the extension.
FileInfo GetFileInfo(net::Download &download, const std::string &videoAddress, int site);

} // namespace vidtrawl::list
