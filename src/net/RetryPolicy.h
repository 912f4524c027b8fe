#pragma once

#include "base/Fault.h"

#include <chrono>
#include <cstdint>
#include <optional>

namespace vidtrawl::net {

// When a failed step is tried again, as yt-dlp's RetryManager decides it for every kind of
// request: only a transient fault, after 1, 2, 4 s ... (at most kLongestWait) or after the wait
// the server asked for, `retries` times in a row. A download that got on (kProgress bytes since
// its tries were last counted afresh) has its tries anew, up to kMostRounds times `retries` in all:
// a server that trickles a few bytes before each drop is given up on.
class RetryPolicy {
public:
  static constexpr std::chrono::seconds kLongestWait{300};
  static constexpr std::uint64_t kProgress = 256 * 1024;
  static constexpr int kMostRounds = 10;

  explicit RetryPolicy(int retries = 0) : retries_(retries) {}

  // After `fault`, with `progress` what the download has now (its bytes): the wait before the
  // next try, or nothing when there is to be none.
  std::optional<std::chrono::seconds> Next(const base::Fault &fault, std::uint64_t progress = 0);
  // Tries failed in a row so far.
  int Failures() const { return failures_; }

private:
  int retries_;
  int failures_ = 0;             // since the tries were last counted afresh
  int tries_ = 0;                // in all
  std::uint64_t progressAt_ = 0; // the download's bytes when they were
};

} // namespace vidtrawl::net
