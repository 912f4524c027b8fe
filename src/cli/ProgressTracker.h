#pragma once

#include "cli/ProgressSnapshot.h"

#include <chrono>
#include <cstdint>
#include <deque>
#include <string>
#include <utility>
#include <vector>

namespace vidtrawl::engine {
class Engine;
struct Activity;
} // namespace vidtrawl::engine

namespace vidtrawl::cli {

// Watches the download list and the running transfer and turns them into
// snapshots with byte counts, rates and times.
class ProgressTracker {
public:
  using Clock = std::chrono::steady_clock;

  // downloadDir: where finished files lie (the folder of this run).
  ProgressTracker(const engine::Engine &engine, std::string downloadDir);

  ProgressSnapshot Sample(Clock::time_point now);

private:
  struct Track {
    bool started = false;   // seen transferring
    bool finalized = false; // final bytes taken
    Clock::time_point start;
    std::int64_t bytes = -1;
    double total = 0;
    double rate = 0;
    double seconds = 0;
    std::deque<std::pair<Clock::time_point, std::int64_t>> samples;
  };

  void FollowTransfer(Track &track, const engine::Activity &activity, Clock::time_point now);
  void Finalize(Track &track, const std::string &fileName, Clock::time_point now);

  const engine::Engine &engine_;
  std::string downloadDir_;
  std::vector<Track> tracks_;
};

} // namespace vidtrawl::cli
