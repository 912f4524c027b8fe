#pragma once

#include <cstddef>

namespace vidtrawl::list {

// Learns of every change of the download list's records: before items go and before the list is
// taken afresh, after anything else. An observer reads the list but never changes it from inside
// a call.
class ListObserver {
public:
  virtual ~ListObserver() = default;
  // The record at this index changed.
  virtual void ItemChanged(std::size_t index) = 0;
  // `count` items were added from `first` on (at the end).
  virtual void ItemsAdded(std::size_t first, std::size_t count) = 0;
  // The items from `first` on, `count` of them, are about to go; and they went, the ones after
  // them moved up.
  virtual void ItemsAboutToBeRemoved(std::size_t first, std::size_t count) = 0;
  virtual void ItemsRemoved(std::size_t first, std::size_t count) = 0;
  // The items at `index` and `index` + 1 changed places.
  virtual void ItemsSwapped(std::size_t index) = 0;
  // Anything else: the list is about to be taken afresh, and was.
  virtual void ListAboutToReset() = 0;
  virtual void ListReset() = 0;
};

} // namespace vidtrawl::list
