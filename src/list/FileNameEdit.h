#pragma once

#include "host/CellUpdateEvents.h"

#include <string>

namespace vidtrawl::host {
class Grid;
}

namespace vidtrawl::list {

class DownloadList;

// Renaming an item's local file by editing its "Local File Name" cell. The
// typed name is cleaned; a name of which nothing usable is left is refused
// (the cell keeps its previous value). An accepted name is written back into
// the cell in its cleaned form and stored in the item of the row's ID,
// without rebuilding the grid. Edits of other columns pass untouched.
class FileNameEdit final : public host::CellUpdateEvents {
public:
  FileNameEdit(DownloadList &items, host::Grid &grid);

  void DownloadGrid_BeforeCellUpdate(host::GridCell cell, const std::string &newValue,
                                     bool &cancel) override;
  void DownloadGrid_AfterCellUpdate(host::GridCell cell) override;

  // The cleaned name accepted by the last BeforeCellUpdate of a file name
  // cell; empty at start, never cleared.
  const std::string &PendingFileName() const { return sPendingFileName_; }

private:
  DownloadList &items_;
  host::Grid &grid_;
  std::string sPendingFileName_;
};

} // namespace vidtrawl::list
