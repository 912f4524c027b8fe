#pragma once

#include "listview/GridRow.h"

#include <cstdint>
#include <optional>
#include <string>

namespace vidtrawl::scheduler {

// The window-level state of the main window, shared by both front ends
// through the engine: one instance per running program.
struct WindowState {
  bool bDownloading = false;   // a download pass is running
  bool bStopRequested = false; // the user asked to stop the pass
  int iCurrentItem = 0;        // index of the item being processed
  // The serial of that item (see list::DownloadList::SerialAt): iCurrentItem
  // is looked up again from it whenever the list may have changed.
  std::uint64_t currentSerial = 0;
  std::string sDownloadResult; // "1" after a completed transfer, or its error text
  bool bGettingLink = false;   // the running transfer is a page fetch
  std::string sActivePage;     // the movie page on show
  bool bGridFormatted = false; // the grid's columns are laid out
  // The grid row that shows iCurrentItem, or nothing; looked up again after
  // every rebuild of the grid.
  std::optional<listview::GridRow> oCurrentRow;
};

} // namespace vidtrawl::scheduler
