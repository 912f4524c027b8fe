#include "list/ListEditor.h"

#include "host/Grid.h"
#include "host/GridLayout.h"
#include "list/CurrentItem.h"
#include "list/DownloadList.h"
#include "list/ListBinder.h"
#include "list/Status.h"

#include <optional>
#include <string>

namespace vidtrawl::list {

namespace {

using host::Grid;
using host::GridCell;
using host::GridRow;

// Walks the rows from the last to the first and removes the item of every
// row the predicate picks. The grid is not rebuilt during the walk, and a
// removal renumbers only the items after it, so every row still to be
// visited keeps naming its item.
template <class Picks> void RemoveRowsFromLast(DownloadList &items, const Grid &grid, Picks picks) {
  for (std::optional<GridRow> row = grid.LastRow(); row; row = grid.PreviousRow(*row)) {
    if (!picks(*row))
      continue;
    if (const std::optional<int> id = grid.RowID(*row))
      items.RemoveItem(*id);
  }
}

} // namespace

ListEditor::ListEditor(DownloadList &items, host::Grid &grid, ListBinder &binder,
                       CurrentItem &current)
    : items_(items), grid_(grid), binder_(binder), current_(current) {}

void ListEditor::AfterRemoval() {
  // The next binding of a non-empty list lays the columns out afresh.
  if (items_.IsListEmpty())
    binder_.SetGridFormatted(false);
  binder_.BindList();
}

void ListEditor::ClearCompleted() {
  if (!grid_.LastRow())
    return;
  RemoveRowsFromLast(items_, grid_, [this](GridRow row) {
    return grid_.CellText(row, host::kColumnStatus) == std::string(kComplete);
  });
  AfterRemoval();
}

void ListEditor::RemoveSelected() {
  // A row counts as chosen when any of its cells is selected: mark its
  // address cell. Cells selected here join the collection behind the
  // positions visited.
  for (int position = grid_.SelectedCellCount() - 1; position >= 0; --position)
    if (const std::optional<GridCell> cell = grid_.SelectedCell(position))
      grid_.SetCellSelected(GridCell{cell->row, host::kColumnVideoURL}, true);

  if (!grid_.LastRow())
    return;
  RemoveRowsFromLast(items_, grid_, [this](GridRow row) {
    return grid_.RowSelected(row) || grid_.CellSelected(GridCell{row, host::kColumnVideoURL});
  });
  AfterRemoval();
}

void ListEditor::SelectAll() {
  for (std::optional<GridRow> row = grid_.FirstRow(); row; row = grid_.NextRow(*row))
    grid_.SetRowSelected(*row, true);
}

void ListEditor::MoveSelected(bool up) {
  const std::vector<GridCell> cells = grid_.SelectedCells();
  if (!cells.empty()) {
    if (const std::optional<int> id = grid_.RowID(cells.front().row)) {
      if (up)
        items_.MoveItemUp(*id);
      else
        items_.MoveItemDown(*id);
    }
  }
  binder_.BindList();
}

void ListEditor::MoveSelectedUp() {
  MoveSelected(true);
}

void ListEditor::MoveSelectedDown() {
  MoveSelected(false);
}

void ListEditor::LocateCurrentRow() {
  current_.SetRow(std::nullopt);
  // The item being processed may have moved or gone since it was chosen.
  const std::optional<std::size_t> index = current_.Find(items_);
  if (!index)
    return;
  const int wanted = static_cast<int>(*index) + 1;
  // Rows follow the list order, so the row at the item's index is the one
  // unless the grid was not rebuilt since the list changed.
  if (const std::optional<GridRow> row = grid_.Row(static_cast<int>(*index));
      row && grid_.RowID(*row) == wanted) {
    current_.SetRow(row);
    return;
  }
  for (std::optional<GridRow> row = grid_.FirstRow(); row; row = grid_.NextRow(*row)) {
    if (grid_.RowID(*row) == wanted) {
      current_.SetRow(row);
      return;
    }
  }
}

} // namespace vidtrawl::list
