#include "host/Grid.h"

#include "host/GridLayout.h"

#include "base/NumberScan.h"

namespace vidtrawl::host {

void Grid::SetDataSource(const DownloadRecordset *recordset) {
  // Rows taken before are stale from here on, also when attaching fails.
  ++generation_;
  AttachSource(recordset);
}

std::optional<GridRow> Grid::Row(int index) const {
  if (index < 0 || index >= Rows())
    return std::nullopt;
  return GridRow{index, generation_};
}

bool Grid::IsCurrent(GridRow row) const {
  return row.generation == generation_ && row.index >= 0 && row.index < Rows();
}

bool Grid::Valid(GridRow row, int column) const {
  return IsCurrent(row) && column >= 0 && column < kColumnCount;
}

std::optional<GridRow> Grid::NextRow(GridRow row) const {
  if (!IsCurrent(row))
    return std::nullopt;
  return Row(row.index + 1);
}

std::optional<GridRow> Grid::PreviousRow(GridRow row) const {
  if (!IsCurrent(row))
    return std::nullopt;
  return Row(row.index - 1);
}

bool Grid::RowSelected(GridRow row) const {
  return IsCurrent(row) && RowSelectedAt(row.index);
}

void Grid::SetRowSelected(GridRow row, bool selected) {
  if (IsCurrent(row))
    SelectRowAt(row.index, selected);
}

std::optional<std::string> Grid::CellText(GridRow row, int column) const {
  if (!Valid(row, column))
    return std::nullopt;
  return Text(row.index, column);
}

bool Grid::SetCellValue(GridRow row, int column, const std::string &value) {
  if (!Valid(row, column))
    return false;
  WriteValue(row.index, column, value);
  return true;
}

bool Grid::CellSelected(GridCell cell) const {
  return Valid(cell.row, cell.column) && CellSelectedAt(cell.row.index, cell.column);
}

void Grid::SetCellSelected(GridCell cell, bool selected) {
  if (Valid(cell.row, cell.column))
    SelectCellAt(cell.row.index, cell.column, selected);
}

std::optional<GridCell> Grid::SelectedCell(int position) const {
  if (position < 0 || position >= SelectedCellsCount())
    return std::nullopt;
  const auto [row, column] = SelectedCellAt(position);
  return GridCell{GridRow{row, generation_}, column};
}

std::vector<GridCell> Grid::SelectedCells() const {
  std::vector<GridCell> cells;
  const int count = SelectedCellsCount();
  cells.reserve(static_cast<std::size_t>(count));
  for (int position = 0; position < count; ++position)
    if (std::optional<GridCell> cell = SelectedCell(position))
      cells.push_back(*cell);
  return cells;
}

std::optional<int> Grid::RowID(GridRow row) const {
  const std::optional<std::string> text = CellText(row, kColumnID);
  if (!text)
    return std::nullopt;
  return base::ParseInteger<int>(*text);
}

} // namespace vidtrawl::host
