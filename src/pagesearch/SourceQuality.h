#pragma once

#include <string_view>

namespace vidtrawl::pagesearch {

// The picture height a quality label names: "1080p", "720", "1280x720",
// "HD", "4K"; 0 when it names none.
long QualityOfLabel(std::string_view label);

// The picture height a video file's name carries ("clip.1080p.webm",
// "clip_720.mp4", "clip-480.mp4"); 0 when it carries none.
long QualityInAddress(std::string_view address);

} // namespace vidtrawl::pagesearch
