#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace vidtrawl::media {

// What a stream's fragments will weigh together, told from what is known so far: the sizes of
// the fragments known (a byte range, the length an answer announced, a fragment stored), and
// for each track the bytes a second of those fragments for the seconds of the others (the
// rate its playlist states while none is known). A fragment of a track whose playlist gives no
// durations weighs as the track's average one. Each step costs the same whatever the count.
class SizeEstimate {
public:
  // A track: each part's seconds (the first part is an init fragment when `init`), and the rate
  // its playlist states in bits a second (0: none). Tracks are numbered in the order they are
  // added.
  void AddTrack(const std::vector<double> &seconds, bool init, std::uint64_t bitsPerSecond);
  // A part weighs `bytes`; the first word on a part counts.
  void Known(std::size_t track, std::size_t part, std::uint64_t bytes);
  bool IsKnown(std::size_t track, std::size_t part) const;

  std::uint64_t Total() const;
  // Every part's size is known.
  bool Exact() const;

private:
  struct Track {
    std::vector<double> weights; // a part's share of the track; 0 for an init fragment
    std::vector<bool> known;
    std::uint64_t bytes = 0;        // of the parts known
    std::uint64_t weighedBytes = 0; // of the known parts that have a weight
    double weighed = 0;             // their weight
    double unknown = 0;             // the weight of the parts not known
    std::size_t unknownParts = 0;
    double statedPerWeight = 0; // bytes a unit of weight, as the playlist states
  };
  std::vector<Track> tracks_;
};

} // namespace vidtrawl::media
