#include "manifests/StreamPlan.h"

#include <cmath>
#include <utility>

namespace vidtrawl::manifests {
namespace {

// The bytes of a track whose every fragment names its range: a playlist of one file's pieces.
std::optional<std::uint64_t> RangedBytes(const StreamTrack &track) {
  std::uint64_t total = 0;
  auto add = [&](const StreamFragment &fragment) {
    if (!fragment.range)
      return false;
    total += fragment.range->length;
    return true;
  };
  if (track.init && !add(*track.init))
    return std::nullopt;
  for (const StreamFragment &fragment : track.fragments)
    if (!add(fragment))
      return std::nullopt;
  return total;
}

} // namespace

StreamPlan MakeStreamPlan(StreamTrack video, std::optional<StreamTrack> audio,
                          std::uint64_t bitsPerSecond) {
  StreamPlan plan;
  plan.seconds = video.seconds;
  std::optional<std::uint64_t> exact = RangedBytes(video);
  if (audio && exact) {
    const std::optional<std::uint64_t> audioBytes = RangedBytes(*audio);
    exact = audioBytes ? std::optional(*exact + *audioBytes) : std::nullopt;
  }
  const double stated = static_cast<double>(bitsPerSecond) / 8 * plan.seconds;
  if (exact)
    plan.estimatedBytes = exact;
  else if (stated >= 1 && stated < 9e18) // a playlist's figures may be nonsense
    plan.estimatedBytes = static_cast<std::uint64_t>(std::llround(stated));
  plan.video = std::move(video);
  plan.audio = std::move(audio);
  return plan;
}

} // namespace vidtrawl::manifests
