#include "host/HeadlessGrid.h"

#include "host/DownloadRecordset.h"

namespace vidtrawl::host {

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
  cells_.Reset(count);
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
  return cells_.Has(row, column);
}

void HeadlessGrid::SelectCellAt(int row, int column, bool selected) {
  cells_.Set(row, column, selected);
}

std::pair<int, int> HeadlessGrid::SelectedCellAt(int position) const {
  return cells_.At(position);
}

void HeadlessGrid::Layout() {
  for (int column = 0; column < kColumnCount; ++column)
    widths_[column] = kColumnLayouts[column].widthTwips;
  ++layoutsApplied_;
}

} // namespace vidtrawl::host
