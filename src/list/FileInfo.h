#pragma once

#include "net/Download.h"

#include <string>

namespace vidtrawl::list {

// The local file name (already cleaned) and size text of a video file.
struct FileInfo {
  std::string FileName;
  std::string SizeText;
};

// Asks the server about the video file through the transfer component's
// information request and derives the local file name and the size text.
// Leaves the component's FileSize as the request set it, so that the transfer
// of the same address that follows reports its progress against it. A size
// header that is not a number ends the call with net::TransferFault.
FileInfo GetFileInfo(net::Download &download, const std::string &videoAddress, int site);

} // namespace vidtrawl::list
