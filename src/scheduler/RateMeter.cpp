#include "scheduler/RateMeter.h"

namespace vidtrawl::scheduler {
namespace {

// The recent rate is taken over the last few seconds of a transfer.
constexpr std::chrono::milliseconds kWindow{3000};
constexpr double kMinSpan = 0.1; // seconds

double SecondsOf(RateMeter::Clock::duration span) {
  return std::chrono::duration<double>(span).count();
}

} // namespace

void RateMeter::Add(Clock::time_point when, std::uint64_t bytes) {
  if (!started_) {
    started_ = true;
    first_ = when;
    firstBytes_ = bytes; // bytes a resumed transfer had already are not its speed
  }
  samples_.emplace_back(when, bytes);
  while (samples_.size() > 2 && when - samples_.front().first > kWindow)
    samples_.pop_front();
}

double RateMeter::Recent() const {
  if (samples_.size() < 2 || samples_.back().second < samples_.front().second)
    return 0;
  const double span = SecondsOf(samples_.back().first - samples_.front().first);
  if (span < kMinSpan)
    return 0;
  return static_cast<double>(samples_.back().second - samples_.front().second) / span;
}

double RateMeter::Seconds() const {
  return samples_.empty() ? 0 : SecondsOf(samples_.back().first - first_);
}

double RateMeter::Average() const {
  const double seconds = Seconds();
  if (samples_.empty() || seconds < kMinSpan || samples_.back().second < firstBytes_)
    return 0;
  return static_cast<double>(samples_.back().second - firstBytes_) / seconds;
}

} // namespace vidtrawl::scheduler
