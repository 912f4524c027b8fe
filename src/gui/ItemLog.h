#pragma once

#include "base/Trace.h"
#include "engine/Engine.h"

#include <cstdint>
#include <deque>
#include <string>
#include <unordered_map>
#include <vector>

namespace vidtrawl::gui {

// The last lines of each item's trace, as the desktop keeps them for its rows' "Copy Log": its
// phase changes, requests, retries and the steps of its page's search, each with its time. An
// item's lines go with it when it leaves the list.
class ItemLog final : public base::TraceSink, public engine::ItemObserver {
public:
  static constexpr std::size_t kLinesPerItem = 200;

  // The items the log follows: it hears of removals from `engine` once given. The log is the
  // engine's trace sink and so outlives it: Unfollow before the engine goes.
  void Follow(engine::Engine *engine);
  void Unfollow();

  void Write(const base::TraceLine &line) override;
  // The kept lines of these items, each item's under its address, one line a line.
  std::string Text(const std::vector<engine::Serial> &items) const;
  // How many lines were written in all: a view of the lines reads them again when it moved.
  std::uint64_t Written() const { return written_; }

  void ItemsAboutToBeRemoved(std::size_t first, std::size_t count) override;
  void ListReset() override;

private:
  engine::Engine *engine_ = nullptr;
  std::unordered_map<engine::Serial, std::deque<std::string>> lines_;
  std::uint64_t written_ = 0;
};

} // namespace vidtrawl::gui
