#include "scheduler/TransferEventHandler.h"

#include "list/CurrentItem.h"
#include "list/DownloadList.h"
#include "list/FormatSize.h"
#include "list/ListBinder.h"
#include "list/ListEditor.h"
#include "list/Status.h"
#include "listview/Grid.h"
#include "listview/GridLayout.h"
#include "resolve/PageFile.h"
#include "scheduler/WindowState.h"
#include "transfer/Download.h"

#include <string>

namespace vidtrawl::scheduler {

TransferEventHandler::TransferEventHandler(list::DownloadList &items, list::ListBinder &binder,
                                           list::ListEditor &editor, listview::Grid &grid,
                                           transfer::Download &download, WindowState &state)
    : items_(items), binder_(binder), editor_(editor), grid_(grid), download_(download),
      state_(state) {}

void TransferEventHandler::DownloadComplete() {
  if (state_.bGettingLink)
    if (const auto index = list::CurrentItemIndex(items_, state_))
      items_[*index].Status = list::kStartDownloading;
  state_.sDownloadResult = "1";
}

void TransferEventHandler::DownloadError(const std::string &sErrorDescription) {
  state_.sDownloadResult = sErrorDescription;
}

void TransferEventHandler::DownloadProgress(std::int64_t lProgress) {
  if (state_.bStopRequested)
    download_.CancelDownload();
  // A page address that delivers a video or an endless stream is no page.
  if (state_.bGettingLink &&
      download_.BytesReceived() > static_cast<std::int64_t>(resolve::kMaxPageBytes))
    download_.CancelDownload();
  // The user may have removed or moved items meanwhile: the status goes to
  // the item being transferred or, when it was removed, nowhere.
  const auto found = list::CurrentItemIndex(items_, state_);
  if (!found) {
    state_.oCurrentRow.reset();
    return;
  }
  const std::size_t index = *found;

  if (state_.bGettingLink) {
    const std::string status = lProgress <= 100
                                   ? list::PreparingStatus(static_cast<long>(lProgress))
                                   : std::string(list::kPreparingEllipsis);
    if (ShowStatus(index, status))
      binder_.BindList();
    return;
  }
  if (items_[index].FileSize == list::kZeroSize)
    ShowStatus(index, list::FormatSize(static_cast<double>(lProgress)) + list::kSoFarSuffix);
  else
    ShowStatus(index, std::to_string(lProgress));
}

bool TransferEventHandler::ShowStatus(std::size_t index, const std::string &status) {
  std::string &current = items_[index].Status;
  if (current == status)
    return false;
  current = status;
  // An edit command rebuilt the grid without looking the row up again.
  if (state_.oCurrentRow && !grid_.IsCurrent(*state_.oCurrentRow))
    editor_.LocateCurrentRow();
  if (state_.oCurrentRow)
    grid_.SetCellValue(*state_.oCurrentRow, listview::kColumnStatus, status);
  return true;
}

} // namespace vidtrawl::scheduler
