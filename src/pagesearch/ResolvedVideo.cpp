#include "pagesearch/ResolvedVideo.h"

namespace vidtrawl::pagesearch {

ResolvedVideo AtQuality(ResolvedVideo video, const manifests::Quality &quality) {
  if (video.files.empty())
    return video;
  std::vector<manifests::StreamCandidate> candidates;
  for (const VideoFile &file : video.files) // ranked by height alone: a file states no width
    candidates.push_back({1, static_cast<int>(file.height), 0});
  video.address = video.files[manifests::ChooseStream(candidates, quality)].address;
  return video;
}

} // namespace vidtrawl::pagesearch
