#include "list/ListEditor.h"

#include "list/CurrentItem.h"
#include "list/DownloadList.h"
#include "list/ListBinder.h"
#include "list/Status.h"
#include "listview/Grid.h"
#include "listview/GridLayout.h"
#include "scheduler/WindowState.h"

#include <optional>
#include <string>

namespace vidtrawl::list {

namespace {

using listview::Grid;
using listview::GridCell;
using listview::GridRow;

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

ListEditor::ListEditor(DownloadList &items, listview::Grid &grid, ListBinder &binder,
                       scheduler::WindowState &state)
    : items_(items), grid_(grid), binder_(binder), state_(state) {}

void ListEditor::AfterRemoval() {
  // The next binding of a non-empty list lays the columns out afresh.
  if (items_.IsListEmpty())
    state_.bGridFormatted = false;
  binder_.BindList();
}

void ListEditor::ClearCompleted() {
  if (!grid_.LastRow())
    return;
  RemoveRowsFromLast(items_, grid_, [this](GridRow row) {
    return grid_.CellText(row, listview::kColumnStatus) == std::string(kComplete);
  });
  AfterRemoval();
}

void ListEditor::RemoveSelected() {
  // A row counts as chosen when any of its cells is selected: mark its
  // address cell. Cells selected here join the collection behind the
  // positions visited.
  for (int position = grid_.SelectedCellCount() - 1; position >= 0; --position)
    if (const std::optional<GridCell> cell = grid_.SelectedCell(position))
      grid_.SetCellSelected(GridCell{cell->row, listview::kColumnVideoURL}, true);

  if (!grid_.LastRow())
    return;
  RemoveRowsFromLast(items_, grid_, [this](GridRow row) {
    return grid_.RowSelected(row) || grid_.CellSelected(GridCell{row, listview::kColumnVideoURL});
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
  state_.oCurrentRow.reset();
  // The item being processed may have moved or gone since it was chosen.
  if (state_.currentSerial != 0 && !CurrentItemIndex(items_, state_))
    return;
  const std::string wanted = std::to_string(static_cast<long long>(state_.iCurrentItem) + 1);
  for (std::optional<GridRow> row = grid_.FirstRow(); row; row = grid_.NextRow(*row)) {
    if (grid_.CellText(*row, listview::kColumnID) == wanted) {
      state_.oCurrentRow = *row;
      return;
    }
  }
}

} // namespace vidtrawl::list
