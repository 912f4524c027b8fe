#pragma once

#include "transfer/DownloadEvents.h"

namespace vidtrawl::list {
class DownloadList;
class ListBinder;
} // namespace vidtrawl::list
namespace vidtrawl::listview {
class Grid;
}
namespace vidtrawl::transfer {
class Download;
}

namespace vidtrawl::scheduler {

struct WindowState;

// The main window's handlers of the transfer component's events: they record
// the outcome of the last transfer, turn progress into the current item's
// status and its grid cell, and turn a stop request into a cancel.
class TransferEventHandler final : public transfer::DownloadEvents {
public:
  TransferEventHandler(list::DownloadList &items, list::ListBinder &binder, listview::Grid &grid,
                       transfer::Download &download, WindowState &state);

  void DownloadComplete() override;
  void DownloadProgress(std::int64_t lProgress) override;
  void DownloadError(const std::string &sErrorDescription) override;

private:
  // Stores a new status in the current item and its grid row; false when
  // the text is what the item already shows (nothing is written then).
  bool ShowStatus(const std::string &status);

  list::DownloadList &items_;
  list::ListBinder &binder_;
  listview::Grid &grid_;
  transfer::Download &download_;
  WindowState &state_;
};

} // namespace vidtrawl::scheduler
