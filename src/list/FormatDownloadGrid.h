#pragma once

#include "host/Grid.h"

namespace vidtrawl::host {
class DownloadRecordset;
}

namespace vidtrawl::list {

// Connects the grid to the list recordset (nullptr: no rows). While
// bGridFormatted is set it only re-attaches the recordset, so user changes
// to the layout stay; otherwise it attaches and lays the columns out, and
// marks the grid formatted unless bInit (the start-up call) is true. A
// failing step is skipped and clears bGridFormatted, so a failed
// re-attachment makes the next call lay the grid out afresh. Returns true.
bool FormatDownloadGrid(host::Grid &grid, const host::DownloadRecordset *rsDownloadList,
                        bool &bGridFormatted, bool bInit);

} // namespace vidtrawl::list
