#pragma once

#include "cli/ProgressSnapshot.h"
#include "engine/Engine.h"

#include <chrono>
#include <vector>

namespace vidtrawl::cli {

// Follows the download list as it changes and turns it into snapshots with
// byte counts, rates and times (as the engine measures them). An item's view
// is made again only when the item changed.
class ProgressTracker final : public engine::ItemObserver {
public:
  using Clock = std::chrono::steady_clock;

  explicit ProgressTracker(engine::Engine &engine);
  ~ProgressTracker() override;
  ProgressTracker(const ProgressTracker &) = delete;
  ProgressTracker &operator=(const ProgressTracker &) = delete;

  const ProgressSnapshot &Sample();

  void ItemChanged(std::size_t index) override;
  void RunsChanged(const std::vector<std::size_t> &indices) override;
  void ItemsAdded(std::size_t first, std::size_t count) override;
  void ItemsRemoved(std::size_t first, std::size_t count) override;
  void ItemsSwapped(std::size_t index) override;
  void ListReset() override;

private:
  void Refresh(std::size_t index);

  engine::Engine &engine_;
  std::vector<bool> dirty_; // in list order, beside snapshot_.items
  ProgressSnapshot snapshot_;
};

} // namespace vidtrawl::cli
