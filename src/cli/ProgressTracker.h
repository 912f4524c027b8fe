#pragma once

#include "cli/ProgressSnapshot.h"
#include "engine/Engine.h"

#include <chrono>
#include <cstdint>
#include <deque>
#include <utility>
#include <vector>

namespace vidtrawl::cli {

// Follows the download list as it changes and turns it into snapshots with
// byte counts, rates and times. An item's view is made again only when the
// item changed (or while its file is arriving, for its rate).
class ProgressTracker final : public engine::ListObserver {
public:
  using Clock = std::chrono::steady_clock;

  explicit ProgressTracker(engine::Engine &engine);
  ~ProgressTracker() override;
  ProgressTracker(const ProgressTracker &) = delete;
  ProgressTracker &operator=(const ProgressTracker &) = delete;

  const ProgressSnapshot &Sample(Clock::time_point now);

  void ItemChanged(std::size_t index) override;
  void ItemsAdded(std::size_t first, std::size_t count) override;
  void ItemsRemoved(std::size_t first, std::size_t count) override;
  void ItemsSwapped(std::size_t index) override;
  void ListReset() override;

private:
  struct Track {
    bool started = false; // seen transferring
    bool ended = false;
    Clock::time_point start;
    double rate = 0;
    double seconds = 0;
    std::deque<std::pair<Clock::time_point, std::uint64_t>> samples;
  };
  struct Entry {
    engine::Serial serial = 0;
    bool dirty = true;
    Track track;
  };

  void Refresh(std::size_t index, Clock::time_point now);
  void Follow(Track &track, std::uint64_t bytes, Clock::time_point now);
  void End(Track &track, std::uint64_t bytes, Clock::time_point now);

  engine::Engine &engine_;
  std::vector<Entry> entries_; // in list order, beside snapshot_.items
  ProgressSnapshot snapshot_;
};

} // namespace vidtrawl::cli
