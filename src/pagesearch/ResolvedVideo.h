#pragma once

#include "pagesearch/VideoProtocol.h"

#include <string>

namespace vidtrawl::pagesearch {

// The video file behind a page address.
struct ResolvedVideo {
  std::string address;
  std::string title; // the page's, where its site reads one
  // A file, or the streaming playlist the video is offered as.
  VideoProtocol protocol = VideoProtocol::File;
};

} // namespace vidtrawl::pagesearch
