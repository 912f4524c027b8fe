#pragma once

#include <chrono>
#include <cstdint>
#include <deque>
#include <utility>

namespace vidtrawl::scheduler {

// How fast a transfer's bytes arrive: over the last few seconds while they
// do, and on average over the whole transfer. Measured once, here, for
// every front end.
class RateMeter {
public:
  using Clock = std::chrono::steady_clock;

  // The transfer has `bytes` in all at `when`.
  void Add(Clock::time_point when, std::uint64_t bytes);
  // Bytes per second over the last few seconds; 0 until the samples span a
  // tenth of a second.
  double Recent() const;
  // Bytes per second since the first sample, and the seconds that took.
  double Average() const;
  double Seconds() const;

private:
  std::deque<std::pair<Clock::time_point, std::uint64_t>> samples_;
  Clock::time_point first_{};
  std::uint64_t firstBytes_ = 0;
  bool started_ = false;
};

} // namespace vidtrawl::scheduler
