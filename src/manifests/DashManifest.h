#pragma once

#include "base/Outcome.h"
#include "manifests/StreamChoice.h"
#include "manifests/StreamPlan.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vidtrawl::manifests {

// One quality of a track of a DASH manifest, with its segments.
struct DashRepresentation {
  std::string id;
  std::uint64_t bandwidth = 0;
  int width = 0; // 0: not stated (audio)
  int height = 0;
  std::string codecs;
  StreamTrack track;
};

// The representations of a static manifest's video and audio adaptation sets (text and image
// sets left out), each set's in the manifest's order.
struct DashManifest {
  std::vector<DashRepresentation> video;
  std::vector<DashRepresentation> audio;
};

// The manifest at `address`: BaseURLs of the MPD, Period, AdaptationSet and Representation are
// resolved in turn against it, and each representation's segments listed (DashSegments). Faults
// (kind Stream): no manifest, a dynamic one (kLiveStream), several periods, ContentProtection
// (naming the DRM systems), no audio or video, segments that cannot be listed.
base::Outcome<DashManifest> ParseDashManifest(std::string_view text, std::string_view address);

// The plan of the representation the quality picks among the video ones (ChooseStream) and the
// audio one of the highest bandwidth (the lowest for Worst), joined. With no video the audio
// is the plan's only track. The manifest must have a representation.
StreamPlan ChooseDashStreams(const DashManifest &manifest, const Quality &quality);

} // namespace vidtrawl::manifests
