#pragma once

#include <cstddef>
#include <vector>

namespace vidtrawl::engine {

// Learns of the changes of the download list, by the index of the items: before items go and
// before the list is taken afresh, right after anything else. The runs of the items being
// downloaded are told together, once per tick of the engine. An observer reads the engine but
// never changes it from inside a call; it takes only what it needs.
class ItemObserver {
public:
  virtual ~ItemObserver() = default;
  // The item's record changed (its phase, name, size, fault ...).
  virtual void ItemChanged(std::size_t /*index*/) {}
  // These items' runs moved on (bytes, speed): the record is as it was.
  virtual void RunsChanged(const std::vector<std::size_t> & /*indices*/) {}
  // `count` items were added from `first` on.
  virtual void ItemsAdded(std::size_t /*first*/, std::size_t /*count*/) {}
  // The items from `first` on, `count` of them, are about to go; and they went, the ones after
  // them moved up.
  virtual void ItemsAboutToBeRemoved(std::size_t /*first*/, std::size_t /*count*/) {}
  virtual void ItemsRemoved(std::size_t /*first*/, std::size_t /*count*/) {}
  // The items at `index` and `index` + 1 changed places.
  virtual void ItemsSwapped(std::size_t /*index*/) {}
  // The list is about to be taken afresh, and was.
  virtual void ListAboutToReset() {}
  virtual void ListReset() {}
};

} // namespace vidtrawl::engine
