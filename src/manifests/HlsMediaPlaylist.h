#pragma once

#include "base/Outcome.h"
#include "manifests/StreamPlan.h"

#include <string_view>

namespace vidtrawl::manifests {

// The segments of the media playlist at `address` (the addresses in it are resolved against
// it), with their byte ranges (EXT-X-BYTERANGE, an offset left out continuing the previous
// range of the same file), their init section (EXT-X-MAP), their AES-128 keys (EXT-X-KEY; the IV
// from the segment's media sequence number when the tag gives none) and discontinuities.
// Faults (kind Stream): no HLS playlist, a live one (kLiveStream: no EXT-X-ENDLIST, and no
// EXT-X-PLAYLIST-TYPE:VOD, which promises the list will not change), no segment,
// encryption other than AES-128 (SAMPLE-AES, DRM key systems), a malformed byte range or key, an
// init section that changes.
base::Outcome<StreamTrack> ParseHlsMediaPlaylist(std::string_view text, std::string_view address);

} // namespace vidtrawl::manifests
