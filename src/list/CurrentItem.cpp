#include "list/CurrentItem.h"

#include "list/DownloadList.h"
#include "scheduler/WindowState.h"

namespace vidtrawl::list {

void SetCurrentItem(const DownloadList &items, scheduler::WindowState &state, std::size_t index) {
  state.iCurrentItem = static_cast<int>(index);
  state.currentSerial = items.SerialAt(index);
}

std::optional<std::size_t> CurrentItemIndex(const DownloadList &items,
                                            scheduler::WindowState &state) {
  if (state.currentSerial == 0) {
    // Not chosen through SetCurrentItem: the index is all there is.
    if (state.iCurrentItem < 0 || static_cast<std::size_t>(state.iCurrentItem) >= items.Count())
      return std::nullopt;
    return static_cast<std::size_t>(state.iCurrentItem);
  }
  const std::size_t hint =
      state.iCurrentItem < 0 ? 0 : static_cast<std::size_t>(state.iCurrentItem);
  const auto index = items.IndexOfSerial(state.currentSerial, hint);
  if (index)
    state.iCurrentItem = static_cast<int>(*index);
  return index;
}

} // namespace vidtrawl::list
