#include "scheduler/TransferEventHandler.h"

#include "list/DownloadList.h"
#include "list/FormatSize.h"
#include "list/ListBinder.h"
#include "list/Status.h"
#include "listview/Grid.h"
#include "listview/GridLayout.h"
#include "scheduler/WindowState.h"
#include "transfer/Download.h"

#include <string>

namespace vidtrawl::scheduler {

TransferEventHandler::TransferEventHandler(list::DownloadList &items, list::ListBinder &binder,
                                           listview::Grid &grid, transfer::Download &download,
                                           WindowState &state)
    : items_(items), binder_(binder), grid_(grid), download_(download), state_(state) {}

void TransferEventHandler::DownloadComplete() {
  const auto index = static_cast<std::size_t>(state_.iCurrentItem);
  if (state_.bGettingLink && state_.iCurrentItem >= 0 && index < items_.Count())
    items_[index].Status = list::kStartDownloading;
  state_.sDownloadResult = "1";
}

void TransferEventHandler::DownloadError(const std::string &sErrorDescription) {
  state_.sDownloadResult = sErrorDescription;
}

void TransferEventHandler::DownloadProgress(std::int64_t lProgress) {
  if (state_.bStopRequested)
    download_.CancelDownload();
  const auto index = static_cast<std::size_t>(state_.iCurrentItem);
  if (state_.iCurrentItem < 0 || index >= items_.Count())
    return;

  if (state_.bGettingLink) {
    const std::string status = lProgress <= 100
                                   ? list::PreparingStatus(static_cast<long>(lProgress))
                                   : std::string(list::kPreparingEllipsis);
    if (ShowStatus(status))
      binder_.BindList();
    return;
  }
  if (items_[index].FileSize == list::kZeroSize)
    ShowStatus(list::FormatSize(static_cast<double>(lProgress)) + list::kSoFarSuffix);
  else
    ShowStatus(std::to_string(lProgress));
}

bool TransferEventHandler::ShowStatus(const std::string &status) {
  std::string &current = items_[static_cast<std::size_t>(state_.iCurrentItem)].Status;
  if (current == status)
    return false;
  current = status;
  if (state_.oCurrentRow)
    grid_.SetCellValue(*state_.oCurrentRow, listview::kColumnStatus, status);
  return true;
}

} // namespace vidtrawl::scheduler
