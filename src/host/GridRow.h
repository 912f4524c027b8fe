#pragma once

#include <cstdint>

namespace vidtrawl::host {

// A reference to one grid row. The grid replaces its rows whenever its data
// source is set again and counts these replacements in its generation; a row
// taken before a replacement is stale afterwards, and every read or write
// through a stale row is ignored.
struct GridRow {
  int index = -1;
  std::uint64_t generation = 0;

  friend bool operator==(const GridRow &, const GridRow &) = default;
};

// One cell: its row and its column position (0 ID ... 4 FileSize).
struct GridCell {
  GridRow row;
  int column = 0;

  friend bool operator==(const GridCell &, const GridCell &) = default;
};

} // namespace vidtrawl::host
