#include "scheduler/TransferEventHandler.h"

#include "host/Grid.h"
#include "host/GridLayout.h"
#include "list/CurrentItem.h"
#include "list/DownloadList.h"
#include "list/FormatSize.h"
#include "list/ListBinder.h"
#include "list/ListEditor.h"
#include "list/Status.h"
#include "net/Download.h"
#include "resolve/LinkFetcher.h"
#include "resolve/PageFile.h"
#include "scheduler/RunState.h"

#include <string>

namespace vidtrawl::scheduler {

TransferEventHandler::TransferEventHandler(list::DownloadList &items, list::CurrentItem &current,
                                           list::ListBinder &binder, list::ListEditor &editor,
                                           host::Grid &grid, net::Download &download,
                                           const resolve::LinkFetcher &fetcher,
                                           const RunState &state)
    : items_(items), current_(current), binder_(binder), editor_(editor), grid_(grid),
      download_(download), fetcher_(fetcher), state_(state) {}

void TransferEventHandler::DownloadComplete() {
  if (fetcher_.GettingLink())
    if (const auto index = current_.Find(items_))
      items_.SetStatus(*index, list::kStartDownloading);
}

void TransferEventHandler::DownloadError(const std::string &sErrorDescription) {
  lastError_ = sErrorDescription;
}

void TransferEventHandler::DownloadProgress(std::int64_t lProgress) {
  if (state_.bStopRequested)
    download_.CancelDownload();
  const bool gettingLink = fetcher_.GettingLink();
  // A page address that delivers a video or an endless stream is no page.
  if (gettingLink && download_.BytesReceived() > static_cast<std::int64_t>(resolve::kMaxPageBytes))
    download_.CancelDownload();
  // The user may have removed or moved items meanwhile: the status goes to
  // the item being transferred or, when it was removed, nowhere.
  const auto found = current_.Find(items_);
  if (!found) {
    current_.SetRow(std::nullopt);
    return;
  }
  const std::size_t index = *found;

  if (gettingLink) {
    const std::string status = lProgress <= 100
                                   ? list::PreparingStatus(static_cast<long>(lProgress))
                                   : std::string(list::kPreparingEllipsis);
    if (items_[index].Status != status) {
      items_.SetStatus(index, status);
      binder_.RefreshRow(index);
    }
    return;
  }
  if (items_[index].FileSize == list::kZeroSize)
    ShowStatus(index, list::FormatSize(static_cast<double>(lProgress)) + list::kSoFarSuffix);
  else
    ShowStatus(index, std::to_string(lProgress));
}

bool TransferEventHandler::ShowStatus(std::size_t index, const std::string &status) {
  if (items_[index].Status == status)
    return false;
  items_.SetStatus(index, status);
  // An edit command rebuilt the grid without looking the row up again.
  if (current_.Row() && !grid_.IsCurrent(*current_.Row()))
    editor_.LocateCurrentRow();
  if (current_.Row())
    grid_.SetCellValue(*current_.Row(), host::kColumnStatus, status);
  return true;
}

} // namespace vidtrawl::scheduler
