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
  std::string protection; // the DRM systems that protect it, by name; empty when it is clear
  bool main = false;      // its role is "main"
  StreamTrack track;      // its language too
};

// The representations of a static manifest's video and audio adaptation sets (text and image
// sets left out), each set's in the manifest's order.
struct DashManifest {
  std::vector<DashRepresentation> video;
  std::vector<DashRepresentation> audio;
};

// The manifest at `address`: BaseURLs of the MPD, Period, AdaptationSet and Representation are
// resolved in turn against it, and each representation's segments listed (DashSegments). Faults
// (kind Stream): no manifest, a dynamic one (kLiveStream), several periods, no audio or video,
// segments that cannot be listed.
base::Outcome<DashManifest> ParseDashManifest(std::string_view text, std::string_view address);

// The plan of the representations chosen among the clear ones, as if the protected were not
// there: the video the quality picks (ChooseStream), and the audio of the main role (when a set
// has it), then of the language wanted (a BCP 47 tag, "de" or "en-GB"; else the first such
// set's), then of the highest bandwidth (the lowest for Worst: the language stays), joined.
// With no video the audio is the plan's only track. A fault (kind Stream) naming the DRM
// systems when what would be chosen is protected. The manifest must have a representation.
base::Outcome<StreamPlan> ChooseDashStreams(const DashManifest &manifest, const Quality &quality,
                                            std::string_view language = {});

} // namespace vidtrawl::manifests
