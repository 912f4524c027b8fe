#include "list/FormatDownloadGrid.h"

namespace vidtrawl::list {

bool FormatDownloadGrid(host::Grid &grid, const host::DownloadRecordset *rsDownloadList,
                        bool &bGridFormatted, bool bInit) {
  if (bGridFormatted) {
    try {
      grid.SetDataSource(rsDownloadList);
    } catch (...) {
      bGridFormatted = false;
    }
    return true;
  }
  try {
    grid.SetDataSource(rsDownloadList);
  } catch (...) {
    bGridFormatted = false;
  }
  try {
    grid.ApplyLayout();
  } catch (...) {
    bGridFormatted = false;
  }
  if (!bInit)
    bGridFormatted = true;
  return true;
}

} // namespace vidtrawl::list
