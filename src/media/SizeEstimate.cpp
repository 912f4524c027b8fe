#include "media/SizeEstimate.h"

#include <cmath>
#include <numeric>

namespace vidtrawl::media {

void SizeEstimate::AddTrack(const std::vector<double> &seconds, bool init,
                            std::uint64_t bitsPerSecond) {
  Track track;
  const double total = std::accumulate(seconds.begin(), seconds.end(), 0.0);
  // Without durations each media part weighs one: its share is the average part's.
  const bool timed = total > 0 && std::isfinite(total);
  track.weights.reserve(seconds.size());
  for (std::size_t part = 0; part < seconds.size(); ++part) {
    const bool header = init && part == 0;
    track.weights.push_back(header ? 0 : timed ? std::max(seconds[part], 0.0) : 1);
    track.unknown += track.weights.back();
  }
  track.known.assign(seconds.size(), false);
  track.unknownParts = seconds.size();
  if (timed)
    track.statedPerWeight = static_cast<double>(bitsPerSecond) / 8;
  tracks_.push_back(std::move(track));
}

void SizeEstimate::Known(std::size_t index, std::size_t part, std::uint64_t bytes) {
  if (index >= tracks_.size() || part >= tracks_[index].known.size() || tracks_[index].known[part])
    return;
  Track &track = tracks_[index];
  track.known[part] = true;
  --track.unknownParts;
  track.bytes += bytes;
  const double weight = track.weights[part];
  track.unknown -= weight;
  if (weight > 0) {
    track.weighed += weight;
    track.weighedBytes += bytes;
  }
}

bool SizeEstimate::IsKnown(std::size_t index, std::size_t part) const {
  return index < tracks_.size() && part < tracks_[index].known.size() && tracks_[index].known[part];
}

std::uint64_t SizeEstimate::Total() const {
  double total = 0;
  for (const Track &track : tracks_) {
    const double perWeight = track.weighed > 0
                                 ? static_cast<double>(track.weighedBytes) / track.weighed
                                 : track.statedPerWeight;
    total += static_cast<double>(track.bytes) + std::max(track.unknown, 0.0) * perWeight;
  }
  // A playlist's figures may be nonsense.
  return total < 9e18 ? static_cast<std::uint64_t>(std::llround(total)) : 0;
}

bool SizeEstimate::Exact() const {
  for (const Track &track : tracks_)
    if (track.unknownParts > 0)
      return false;
  return true;
}

} // namespace vidtrawl::media
