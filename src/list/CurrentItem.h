#pragma once

#include <cstddef>
#include <optional>

namespace vidtrawl::scheduler {
struct WindowState;
}

namespace vidtrawl::list {

class DownloadList;

// Makes the item at this index the one being processed.
void SetCurrentItem(const DownloadList &items, scheduler::WindowState &state, std::size_t index);

// The index of the item being processed, found again after the list may
// have changed (iCurrentItem follows it); nothing when it was removed.
std::optional<std::size_t> CurrentItemIndex(const DownloadList &items,
                                            scheduler::WindowState &state);

} // namespace vidtrawl::list
