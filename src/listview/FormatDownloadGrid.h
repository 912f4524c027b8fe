#pragma once

#include "listview/Grid.h"

namespace vidtrawl::list {
class DownloadRecordset;
}
namespace vidtrawl::scheduler {
struct WindowState;
}

namespace vidtrawl::listview {

// Connects the grid to the list recordset (nullptr: no rows). While
// state.bGridFormatted is set it only re-attaches the recordset, so user
// changes to the layout stay; otherwise it attaches and lays the columns out,
// and marks the grid formatted unless bInit (the start-up call) is true. A
// failing step is skipped and clears bGridFormatted, so a failed
// re-attachment makes the next call lay the grid out afresh. Returns true.
bool FormatDownloadGrid(Grid &grid, const list::DownloadRecordset *rsDownloadList,
                        scheduler::WindowState &state, bool bInit);

} // namespace vidtrawl::listview
