#pragma once

#include "host/GridLayout.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

namespace vidtrawl::host {

// The selected cells of a grid: one bit per column for each row, and the
// cells in the order they were selected (the order the engine reads them in).
class CellSelection {
public:
  static constexpr std::uint8_t kWholeRow = (1u << kColumnCount) - 1;

  // `rows` rows with nothing selected.
  void Reset(std::size_t rows) {
    masks_.assign(rows, 0);
    order_.clear();
  }
  // The row's bits, column 0 lowest.
  std::uint8_t Mask(int row) const { return masks_[static_cast<std::size_t>(row)]; }
  bool Has(int row, int column) const { return (Mask(row) & Bit(column)) != 0; }
  // Selecting a selected cell, or clearing a clear one, changes nothing.
  void Set(int row, int column, bool selected) {
    if (selected == Has(row, column))
      return;
    std::uint8_t &mask = masks_[static_cast<std::size_t>(row)];
    mask = static_cast<std::uint8_t>(selected ? mask | Bit(column) : mask & ~Bit(column));
    if (selected)
      order_.emplace_back(row, column);
    else
      std::erase(order_, std::pair<int, int>(row, column));
  }
  // Clears many cells at once: `cells(clear)` calls clear(row, column) for
  // each; the order is tidied once at the end.
  template <typename Cells> void ClearMany(Cells &&cells) {
    bool cleared = false;
    cells([&](int row, int column) {
      std::uint8_t &mask = masks_[static_cast<std::size_t>(row)];
      mask = static_cast<std::uint8_t>(mask & ~Bit(column));
      cleared = true;
    });
    if (cleared)
      std::erase_if(order_, [this](const std::pair<int, int> &cell) {
        return !Has(cell.first, cell.second);
      });
  }
  int Count() const { return static_cast<int>(order_.size()); }
  std::pair<int, int> At(int position) const { return order_[static_cast<std::size_t>(position)]; }

private:
  static std::uint8_t Bit(int column) { return static_cast<std::uint8_t>(1u << column); }

  std::vector<std::uint8_t> masks_;
  std::vector<std::pair<int, int>> order_;
};

} // namespace vidtrawl::host
