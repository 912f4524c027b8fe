#pragma once

#include <cstddef>

namespace vidtrawl::list {

// Learns of every change of the download list, right after it happened.
// An observer reads the list but never changes it from inside a call.
class ListObserver {
public:
  virtual ~ListObserver() = default;
  // The item at this index has new state.
  virtual void ItemChanged(std::size_t index) = 0;
  // `count` items were added from `first` on (at the end).
  virtual void ItemsAdded(std::size_t first, std::size_t count) = 0;
  // The items from `first` on, `count` of them, are gone; the ones after
  // them moved up.
  virtual void ItemsRemoved(std::size_t first, std::size_t count) = 0;
  // The items at `index` and `index` + 1 changed places.
  virtual void ItemsSwapped(std::size_t index) = 0;
  // Anything else: take the list afresh.
  virtual void ListReset() = 0;
};

} // namespace vidtrawl::list
