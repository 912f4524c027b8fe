#pragma once

#include "cli/ProgressView.h"
#include "engine/Engine.h"

#include <unordered_set>

namespace vidtrawl::cli {

// What the console says of an item the moment it ends, one line on stderr
// also when progress is silenced: why it failed ("vidtrawl-cli: ADDRESS:
// reason"), or that its file was there already ("vidtrawl-cli: NAME: already
// downloaded"). Each item is told once.
class ItemLines final : public engine::ItemObserver {
public:
  // `view`: the progress display that shares the console, when there is one.
  ItemLines(engine::Engine &engine, ConsoleWriter writer, ProgressView *&view);
  ~ItemLines() override;
  ItemLines(const ItemLines &) = delete;
  ItemLines &operator=(const ItemLines &) = delete;

  void ItemChanged(std::size_t index) override;

private:
  engine::Engine &engine_;
  ConsoleWriter writer_;
  ProgressView *&view_;
  std::unordered_set<engine::Serial> told_;
};

} // namespace vidtrawl::cli
