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
  items_[index].Status = kPreparingZero;
  binder_.BindList();

  // The list may change while the page is fetched (the transfer lets the
  // host run): the item is addressed by index again after every call that
  // yields, and an item that is gone is left alone.
  const std::string answer = fetcher_.GetDownloadLink(items_.At(index).Video_URL);
  if (index >= items_.Count())
    return result;
  DownloadItem &item = items_[index];
  if (answer == resolve::kResultNoSupportedSite) {
    item.Status = kError;
    item.FileName = kUnsupportedLink;
  } else if (answer == resolve::kResultNoVideoAddress) {
    item.FileName = kProcessFailed;
    item.Status = kError;
    item.Video_URL = kVideoInappropriate;
  } else if (answer == resolve::kResultPageNotFetched) {
    item.Status = kError;
  } else {
    const int site = resolve::GetSiteID(item.Video_URL);
    const FileInfo info = GetFileInfo(download_, answer, site);
    if (index >= items_.Count())
      return result;
    DownloadItem &resolved = items_[index];
    if (resolved.FileName == kWaitingAutoDetect)
      resolved.FileName = info.FileName;
    resolved.FileSize = info.SizeText;
    result = answer;
  }
  return result;
}

} // namespace vidtrawl::list
