#pragma once

#include <string>
#include <string_view>

namespace vidtrawl::manifests {

// The name a user knows a DRM key system by, from its identifier in a playlist (HLS KEYFORMAT)
// or manifest (DASH ContentProtection@schemeIdUri): "Widevine", "PlayReady", "FairPlay"...;
// the identifier itself when it is no system this knows.
std::string DrmSystemName(std::string_view id);

} // namespace vidtrawl::manifests
