#pragma once

#include "net/DownloadEvents.h"

#include <string>

namespace vidtrawl::host {
class Grid;
}
namespace vidtrawl::list {
class CurrentItem;
class DownloadList;
class ListBinder;
class ListEditor;
} // namespace vidtrawl::list
namespace vidtrawl::net {
class Download;
}
namespace vidtrawl::resolve {
class LinkFetcher;
}

namespace vidtrawl::scheduler {

struct RunState;

// The main window's handlers of the transfer component's events: they turn
// progress into the current item's status and its grid cell, turn a stop
// request into a cancel, and keep the last error's description.
class TransferEventHandler final : public net::DownloadEvents {
public:
  TransferEventHandler(list::DownloadList &items, list::CurrentItem &current,
                       list::ListBinder &binder, list::ListEditor &editor, host::Grid &grid,
                       net::Download &download, const resolve::LinkFetcher &fetcher,
                       const RunState &state);

  void DownloadComplete() override;
  void DownloadProgress(std::int64_t lProgress) override;
  void DownloadError(const std::string &sErrorDescription) override;

  // The description of the last transfer error ("Could not find URL", ...).
  const std::string &LastError() const { return lastError_; }

private:
  // Stores a new status in the current item and its grid row; false when
  // the text is what the item already shows (nothing is written then).
  bool ShowStatus(std::size_t index, const std::string &status);

  list::DownloadList &items_;
  list::CurrentItem &current_;
  list::ListBinder &binder_;
  list::ListEditor &editor_;
  host::Grid &grid_;
  net::Download &download_;
  const resolve::LinkFetcher &fetcher_;
  const RunState &state_;
  std::string lastError_;
};

} // namespace vidtrawl::scheduler
