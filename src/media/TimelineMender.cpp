#include "media/TimelineMender.h"

#include <algorithm>

namespace vidtrawl::media {
namespace {

// A stream may step back this much at a segment's edge (audio cut to whole frames) without
// being spliced; the muxer's order is mended after.
constexpr std::int64_t kJitter = 500'000;
// A leap forward this long is no missing segment but a new piece.
constexpr std::int64_t kLeap = 10'000'000;

} // namespace

std::int64_t TimelineMender::Shift(int stream, std::int64_t time, std::int64_t duration) {
  duration = std::clamp<std::int64_t>(duration, 0, kLeap); // no packet lasts longer
  std::int64_t mended = time + offset_;
  if (end_) {
    const auto last = last_.find(stream);
    if ((last != last_.end() && mended < last->second.time - kJitter) || mended > *end_ + kLeap) {
      const std::int64_t next = last != last_.end() ? last->second.end : *end_;
      offset_ = next - time;
      mended = next;
      ++splices_;
    }
  }
  last_[stream] = {mended, mended + duration};
  end_ = std::max(end_.value_or(mended + duration), mended + duration);
  return offset_;
}

} // namespace vidtrawl::media
