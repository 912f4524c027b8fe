#include "list/FileNameEdit.h"

#include "host/Grid.h"
#include "host/GridLayout.h"
#include "list/CleanFileName.h"
#include "list/DownloadList.h"

#include <optional>

namespace vidtrawl::list {

namespace {

constexpr std::string_view kFileNameKey = "FileName";

bool IsFileNameColumn(int column) {
  return column >= 0 && column < host::kColumnCount &&
         host::kColumnLayouts[static_cast<std::size_t>(column)].key == kFileNameKey;
}

} // namespace

FileNameEdit::FileNameEdit(DownloadList &items, host::Grid &grid) : items_(items), grid_(grid) {}

void FileNameEdit::DownloadGrid_BeforeCellUpdate(host::GridCell cell, const std::string &newValue,
                                                 bool &cancel) {
  if (!IsFileNameColumn(cell.column))
    return;
  std::string name = CleanFileName(newValue);
  if (name.empty() || name == kEnterFileName) {
    cancel = true;
    return;
  }
  sPendingFileName_ = std::move(name);
}

void FileNameEdit::DownloadGrid_AfterCellUpdate(host::GridCell cell) {
  if (!IsFileNameColumn(cell.column))
    return;
  // A row that went stale meanwhile is left alone: its ID might name
  // another item now.
  if (!grid_.SetCellValue(cell.row, cell.column, sPendingFileName_))
    return;
  const std::optional<int> id = grid_.RowID(cell.row);
  if (!id)
    return;
  const std::optional<std::string> name = grid_.CellText(cell.row, cell.column);
  items_.UpdateItem(*id, "", name.value_or(sPendingFileName_), "", "");
}

} // namespace vidtrawl::list
