#pragma once

#include <cstddef>

namespace vidtrawl::list {

// Learns of every change of the download list as it happens. Called from
// inside the change: an observer reads the list but never changes it.
class ItemObserver {
public:
  virtual ~ItemObserver() = default;
  // A field of the item at this index (address, file name, status or size)
  // has a new value.
  virtual void ItemChanged(std::size_t index) = 0;
  // Items were added, removed or moved.
  virtual void ListChanged() = 0;
};

} // namespace vidtrawl::list
