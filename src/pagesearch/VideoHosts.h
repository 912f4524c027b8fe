#pragma once

#include <string_view>

namespace vidtrawl::pagesearch {

// The name users know a video host by ("YouTube", "Vimeo", "Dailymotion")
// when an address is on one of them; empty otherwise. A page whose only
// video is embedded from one of them has no file of its own to download.
std::string_view VideoHostOf(std::string_view address);

} // namespace vidtrawl::pagesearch
