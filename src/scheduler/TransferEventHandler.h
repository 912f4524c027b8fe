#pragma once

#include "transfer/DownloadEvents.h"

namespace vidtrawl::list {
class DownloadList;
class ListBinder;
class ListEditor;
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
  TransferEventHandler(list::DownloadList &items, list::ListBinder &binder,
                       list::ListEditor &editor, listview::Grid &grid, transfer::Download &download,
                       WindowState &state);

  void DownloadComplete() override;
  void DownloadProgress(std::int64_t lProgress) override;
  void DownloadError(const std::string &sErrorDescription) override;

private:
  // Stores a new status in the current item and its grid row; false when
  // the text is what the item already shows (nothing is written then).
  bool ShowStatus(std::size_t index, const std::string &status);

  list::DownloadList &items_;
  list::ListBinder &binder_;
  list::ListEditor &editor_;
  listview::Grid &grid_;
  transfer::Download &download_;
  WindowState &state_;
};

} // namespace vidtrawl::scheduler
