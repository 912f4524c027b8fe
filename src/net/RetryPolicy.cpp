#include "net/RetryPolicy.h"

#include <algorithm>

namespace vidtrawl::net {

std::optional<std::chrono::seconds> RetryPolicy::Next(const base::Fault &fault,
                                                      std::uint64_t progress) {
  if (progress >= progressAt_ + kProgress) {
    failures_ = 0;
    progressAt_ = progress;
  }
  if (!fault.transient || failures_ >= retries_ || tries_ >= retries_ * kMostRounds)
    return std::nullopt;
  const std::chrono::seconds wait =
      fault.retryAfter >= 0 ? std::min(std::chrono::seconds(fault.retryAfter), kLongestWait)
                            : std::chrono::seconds(1 << std::min(failures_, 8));
  ++failures_;
  ++tries_;
  return wait;
}

} // namespace vidtrawl::net
