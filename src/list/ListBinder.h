#pragma once

#include "host/DownloadRecordset.h"

#include <chrono>
#include <exception>
#include <memory>

namespace vidtrawl::host {
class Pump;
class MessageBox;
} // namespace vidtrawl::host
namespace vidtrawl::host {
class Grid;
}
namespace vidtrawl::list {

class DownloadList;
using host::DownloadRecordset;

// Shows the download list in the grid: every change of the list is followed
// by BindList, which rebuilds the recordset rsDownloadList from the items and
// hands it to the grid.
class ListBinder {
public:
  // How long a fill may run before it lets the host process its events.
  static constexpr std::chrono::microseconds kDefaultYieldInterval{4000};

  ListBinder(DownloadList &items, host::Grid &grid, host::Pump &pump, host::MessageBox &messages);

  // Rebuilds the recordset and shows it. Returns false at once while a
  // rebuild is filling; that rebuild then fills once more when it is done,
  // so the grid ends up showing the list as it is; with an empty list detaches the grid (no rows)
  // and returns false. A failure leaves the grid on its previous recordset and returns false; the
  // user is told, with the error's number and description, unless the grid is gone. True when the
  // rebuild ran to its end.
  bool BindList();

  // Shows the current fields of the item at this index in its row, without
  // a rebuild: what a change of one item's status, name or size costs. While
  // a rebuild is filling, that rebuild picks the change up instead; when the
  // grid's row does not show this item, the grid is rebuilt.
  void RefreshRow(std::size_t index);

  // Connects the grid to rsDownloadList, laying the columns out when the
  // grid is not formatted yet (see list::FormatDownloadGrid).
  bool FormatDownloadGrid(bool bInit);

  bool BindBusy() const { return bBindBusy_; }
  // bGridFormatted: the grid's columns are laid out; cleared to have the
  // next binding lay them out afresh.
  bool GridFormatted() const { return bGridFormatted_; }
  void SetGridFormatted(bool formatted) { bGridFormatted_ = formatted; }
  // The recordset shown after the last successful rebuild; nullptr before.
  const DownloadRecordset *rsDownloadList() const { return rsDownloadList_.get(); }

  // A fill lets the host process events before its first record and then
  // whenever this much time has passed since it last did; zero: before every
  // record and after the last.
  void SetYieldInterval(std::chrono::nanoseconds interval) { yieldInterval_ = interval; }

private:
  bool BindOnce();
  void Fill(DownloadRecordset &recordset);
  void Report(std::exception_ptr error);

  DownloadList &items_;
  host::Grid &grid_;
  host::Pump &pump_;
  host::MessageBox &messages_;
  bool bGridFormatted_ = false;
  bool bBindBusy_ = false;
  bool bRebindPending_ = false; // a rebuild was asked for while one was filling
  bool bFillFailed_ = false;    // the last fill ended with an error
  std::unique_ptr<DownloadRecordset> rsDownloadList_;
  std::chrono::nanoseconds yieldInterval_ = kDefaultYieldInterval;
};

} // namespace vidtrawl::list
