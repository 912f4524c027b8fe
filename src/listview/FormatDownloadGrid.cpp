#include "listview/FormatDownloadGrid.h"

#include "scheduler/WindowState.h"

namespace vidtrawl::listview {

bool FormatDownloadGrid(Grid &grid, const list::DownloadRecordset *rsDownloadList,
                        scheduler::WindowState &state, bool bInit) {
  if (state.bGridFormatted) {
    try {
      grid.SetDataSource(rsDownloadList);
    } catch (...) {
      state.bGridFormatted = false;
    }
    return true;
  }
  try {
    grid.SetDataSource(rsDownloadList);
  } catch (...) {
    state.bGridFormatted = false;
  }
  try {
    grid.ApplyLayout();
  } catch (...) {
    state.bGridFormatted = false;
  }
  if (!bInit)
    state.bGridFormatted = true;
  return true;
}

} // namespace vidtrawl::listview
