#include "host/HeadlessGrid.h"

#include "host/DownloadRecordset.h"

#include <algorithm>

namespace vidtrawl::host {

namespace {

std::uint8_t Bit(int column) {
  return static_cast<std::uint8_t>(1u << column);
}

} // namespace

HeadlessGrid::HeadlessGrid() {
  for (int column = 0; column < kColumnCount; ++column)
    widths_[column] = kColumnLayouts[column].widthTwips;
}

int HeadlessGrid::ColumnWidth(int column) const {
  return column >= 0 && column < kColumnCount ? widths_[column] : 0;
}

void HeadlessGrid::SetColumnWidth(int column, int widthTwips) {
  if (column >= 0 && column < kColumnCount && widthTwips >= 0)
    widths_[column] = widthTwips;
}

void HeadlessGrid::AttachSource(const DownloadRecordset *recordset) {
  rowSelected_.clear();
  cellSelected_.clear();
  selectedCells_.clear();
  attached_ = recordset != nullptr;
  const std::size_t count = recordset ? recordset->RecordCount() : 0;
  // Existing strings are assigned to, so their storage is reused.
  rows_.resize(count);
  for (std::size_t i = 0; i < count; ++i) {
    const DownloadRecordset::Record &record = (*recordset)[i];
    std::array<std::string, kColumnCount> &row = rows_[i];
    row[kColumnID] = std::to_string(record.ID);
    row[kColumnVideoURL] = record.Video_URL;
    row[kColumnFileName] = record.FileName;
    row[kColumnStatus] = record.Status;
    row[kColumnFileSize] = record.FileSize;
  }
  rowSelected_.assign(count, false);
  cellSelected_.assign(count, 0);
}

std::string HeadlessGrid::Text(int row, int column) const {
  return rows_[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)];
}

void HeadlessGrid::WriteValue(int row, int column, const std::string &value) {
  rows_[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)] = value;
}

bool HeadlessGrid::RowSelectedAt(int row) const {
  return rowSelected_[static_cast<std::size_t>(row)];
}

void HeadlessGrid::SelectRowAt(int row, bool selected) {
  rowSelected_[static_cast<std::size_t>(row)] = selected;
}

bool HeadlessGrid::CellSelectedAt(int row, int column) const {
  return (cellSelected_[static_cast<std::size_t>(row)] & Bit(column)) != 0;
}

void HeadlessGrid::SelectCellAt(int row, int column, bool selected) {
  std::uint8_t &mask = cellSelected_[static_cast<std::size_t>(row)];
  if (selected == ((mask & Bit(column)) != 0))
    return;
  if (selected) {
    mask = static_cast<std::uint8_t>(mask | Bit(column));
    selectedCells_.emplace_back(row, column);
  } else {
    mask = static_cast<std::uint8_t>(mask & ~Bit(column));
    std::erase(selectedCells_, std::pair<int, int>(row, column));
  }
}

std::pair<int, int> HeadlessGrid::SelectedCellAt(int position) const {
  return selectedCells_[static_cast<std::size_t>(position)];
}

void HeadlessGrid::Layout() {
  for (int column = 0; column < kColumnCount; ++column)
    widths_[column] = kColumnLayouts[column].widthTwips;
  ++layoutsApplied_;
}

} // namespace vidtrawl::host
