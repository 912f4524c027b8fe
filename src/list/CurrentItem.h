#pragma once

#include "host/GridRow.h"

#include <cstddef>
#include <cstdint>
#include <optional>

namespace vidtrawl::list {

class DownloadList;

// The item the download pass is processing (iCurrentItem) and the grid row
// that shows it (oCurrentRow). The user may remove or move items whenever
// the host runs, so the item is followed by its serial and its index is
// found again after every yield.
class CurrentItem {
public:
  // Makes the item at this index the one being processed.
  void Set(const DownloadList &items, std::size_t index);
  // No item is being processed.
  void Clear();

  // iCurrentItem: the index of the item being processed, found again after
  // the list may have changed; nothing when it was removed or none is set.
  std::optional<std::size_t> Find(const DownloadList &items) const;

  std::uint64_t Serial() const { return serial_; }
  bool IsSet() const { return serial_ != 0; }

  // oCurrentRow: the grid row that shows the item, or nothing.
  const std::optional<host::GridRow> &Row() const { return row_; }
  void SetRow(std::optional<host::GridRow> row) { row_ = row; }

private:
  std::uint64_t serial_ = 0;
  std::optional<host::GridRow> row_;
};

} // namespace vidtrawl::list
