#include "manifests/StreamPlan.h"

#include <utility>

namespace vidtrawl::manifests {

StreamPlan MakeStreamPlan(StreamTrack video, std::optional<StreamTrack> audio) {
  StreamPlan plan;
  plan.seconds = video.seconds;
  plan.video = std::move(video);
  plan.audio = std::move(audio);
  return plan;
}

} // namespace vidtrawl::manifests
