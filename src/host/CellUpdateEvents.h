#pragma once

#include "host/GridRow.h"

#include <string>

namespace vidtrawl::host {

// The grid's edit events, raised by a grid host when the user commits a cell
// edit: BeforeCellUpdate with the value about to be committed (setting cancel
// refuses the edit and the cell keeps its previous value), then, once the
// value is in the cell, AfterCellUpdate.
class CellUpdateEvents {
public:
  virtual ~CellUpdateEvents() = default;
  virtual void DownloadGrid_BeforeCellUpdate(GridCell cell, const std::string &newValue,
                                             bool &cancel) = 0;
  virtual void DownloadGrid_AfterCellUpdate(GridCell cell) = 0;
};

} // namespace vidtrawl::host
