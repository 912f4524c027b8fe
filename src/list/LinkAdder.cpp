#include "list/LinkAdder.h"

#include "list/DownloadList.h"
#include "list/FileInfo.h"
#include "list/ListBinder.h"
#include "list/ListEditor.h"
#include "list/Status.h"
#include "resolve/LinkFetcher.h"
#include "resolve/SiteTable.h"
#include "scheduler/WindowState.h"

namespace vidtrawl::list {

LinkAdder::LinkAdder(DownloadList &items, ListBinder &binder, ListEditor &editor,
                     resolve::LinkFetcher &fetcher, transfer::Download &download,
                     scheduler::WindowState &state)
    : items_(items), binder_(binder), editor_(editor), fetcher_(fetcher), download_(download),
      state_(state) {}

void LinkAdder::AddLink(const std::string &url) {
  if (resolve::GetSiteID(url) == resolve::kNoSite)
    items_.AddItem(url, kError, kLinkNotSupported, kUnknownSize);
  else
    items_.AddItem(url, kWaitingAutoDetect, kWaiting, kUnknownSize);
  binder_.BindList();
  // The rebuild replaced the rows: the pass's row must point at the new one.
  if (state_.bDownloading)
    editor_.LocateCurrentRow();
}

std::string LinkAdder::ResolveItem(std::size_t index) {
  std::string result = resolve::kResultNoSupportedSite;
  if (index >= items_.Count())
    return result;
  // The list may change at every yield (the rebuild, the page fetch and the
  // header request let the host run): the item is found again by its
  // serial after each of them, and an item that is gone is left alone.
  const std::uint64_t serial = items_.SerialAt(index);
  items_[index].Status = kPreparingZero;
  binder_.BindList();

  auto find = [&]() -> DownloadItem * {
    const auto at = items_.IndexOfSerial(serial, index);
    if (!at)
      return nullptr;
    index = *at;
    return &items_[index];
  };
  DownloadItem *item = find();
  if (item == nullptr)
    return result;
  const std::string page = item->Video_URL; // a copy: the item may move during the fetch
  const std::string answer = fetcher_.GetDownloadLink(page);
  if ((item = find()) == nullptr)
    return result;
  if (answer == resolve::kResultNoSupportedSite) {
    item->Status = kError;
    item->FileName = kUnsupportedLink;
  } else if (answer == resolve::kResultNoVideoAddress) {
    item->FileName = kProcessFailed;
    item->Status = kError;
    item->Video_URL = kVideoInappropriate;
  } else if (answer == resolve::kResultPageNotFetched) {
    item->Status = kError;
  } else {
    const FileInfo info = GetFileInfo(download_, answer, resolve::GetSiteID(page));
    if ((item = find()) == nullptr)
      return result;
    if (item->FileName == kWaitingAutoDetect)
      item->FileName = info.FileName;
    item->FileSize = info.SizeText;
    result = answer;
  }
  return result;
}

} // namespace vidtrawl::list
