#pragma once

#include <cstdint>
#include <map>
#include <optional>

namespace vidtrawl::media {

// Keeps the timestamps of one input going forward when it is made of pieces spliced together
// (HLS's discontinuities: an advert, a second recording), whose timestamps restart or leap. A
// packet that goes back in its stream, or leaps far past the input's end, starts a new piece:
// that piece is moved to go on where the input had got to. Times in microseconds.
class TimelineMender {
public:
  // `start`: the time that becomes 0 (the earliest of all the inputs, to keep them in step).
  explicit TimelineMender(std::int64_t start = 0) : offset_(-start) {}

  // What to add to the times of a packet of `stream` whose decoding time is `time` and that
  // lasts `duration`. Times must lie within ±kFarthest; each packet moves the end by at most
  // 20 s, so a file's worth of packets cannot make the times overflow.
  std::int64_t Shift(int stream, std::int64_t time, std::int64_t duration);

  static constexpr std::int64_t kFarthest = 100'000'000'000'000; // three years

private:
  std::int64_t offset_;
  std::optional<std::int64_t> end_;  // the latest end of a packet so far, mended
  std::map<int, std::int64_t> last_; // each stream's latest mended time
};

} // namespace vidtrawl::media
