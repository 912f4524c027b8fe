#pragma once

#include <cstdint>
#include <map>
#include <optional>

namespace vidtrawl::media {

// Keeps the timestamps of one input going forward when it is made of pieces spliced together
// (HLS's discontinuities: an advert, a second recording), whose timestamps restart or leap. A
// packet that goes back in its stream, or leaps far past the input's end, starts a new piece:
// the whole piece is moved so that the stream of that packet goes on where its last packet
// ended, with no gap (as ffmpeg joins a transport stream's pieces), and the piece's other
// streams keep their places to it. Times in microseconds.
class TimelineMender {
public:
  // `start`: the time that becomes 0 (the earliest of all the inputs, to keep them in step).
  explicit TimelineMender(std::int64_t start = 0) : offset_(-start) {}

  // What to add to the times of a packet of `stream` whose decoding time is `time` and that
  // lasts `duration`. Times must lie within ±kFarthest; each packet moves the end by at most
  // 20 s, so a file's worth of packets cannot make the times overflow.
  std::int64_t Shift(int stream, std::int64_t time, std::int64_t duration);
  // How many pieces began after the first.
  int Splices() const { return splices_; }

  static constexpr std::int64_t kFarthest = 100'000'000'000'000; // three years

private:
  struct Last {
    std::int64_t time = 0; // mended
    std::int64_t end = 0;  // and its duration after it
  };
  std::int64_t offset_;
  std::optional<std::int64_t> end_; // the latest end of a packet so far, mended
  std::map<int, Last> last_;        // each stream's latest packet
  int splices_ = 0;
};

} // namespace vidtrawl::media
