#pragma once

#include "manifests/StreamChoice.h"
#include "pagesearch/VideoProtocol.h"

#include <string>
#include <vector>

namespace vidtrawl::pagesearch {

// One file a page offers its video in, and the picture height it declares (0 for none).
struct VideoFile {
  std::string address;
  long height = 0;

  friend bool operator==(const VideoFile &, const VideoFile &) = default;
};

// The video file behind a page address.
struct ResolvedVideo {
  std::string address;
  std::string title; // the page's, where its site reads one
  // A file, or the streaming playlist the video is offered as.
  VideoProtocol protocol = VideoProtocol::File;
  // The files the page offers this video in, `address` among them (the best declared); empty
  // when it offers one.
  std::vector<VideoFile> files = {};
};

// The video at a quality: its file of that quality, where it is offered in several
// (manifests::ChooseStream's rule: the best, the worst, or the best not taller).
ResolvedVideo AtQuality(ResolvedVideo video, const manifests::Quality &quality);

} // namespace vidtrawl::pagesearch
