#include "list/LinkAdder.h"

#include "base/Guarded.h"
#include "base/TrimBlanks.h"
#include "host/MessageBox.h"
#include "list/DownloadList.h"
#include "list/FileInfo.h"
#include "list/ListBinder.h"
#include "list/Status.h"
#include "resolve/LinkFetcher.h"
#include "resolve/SiteTable.h"

namespace vidtrawl::list {

LinkAdder::LinkAdder(DownloadList &items, ListBinder &binder, resolve::LinkFetcher &fetcher,
                     net::Download &download, host::MessageBox &messages)
    : items_(items), binder_(binder), fetcher_(fetcher), download_(download), messages_(messages) {}

bool LinkAdder::Add(const std::string &text) {
  // Blanks and line ends around an address (a pasted line, a dropped one)
  // are no part of it, nor of the duplicate test.
  const std::string url(base::TrimBlanks(text));
  if (url.empty())
    return true;
  if (resolve::GetSiteID(url) == resolve::kNoSite)
    return items_.AddItem(url, kError, kLinkNotSupported, kUnknownSize);
  return items_.AddItem(url, kWaitingAutoDetect, kWaiting, kUnknownSize);
}

void LinkAdder::TellFull(std::size_t dropped) {
  const std::string what =
      dropped == 1 ? "1 address was" : std::to_string(dropped) + " addresses were";
  base::Guarded([&] {
    messages_.Show("The download list is full (" + std::to_string(DownloadList::kMaxItems) +
                       " items): " + what + " not added.",
                   host::MessageBox::Buttons::Ok, host::MessageBox::Icon::Exclamation);
  });
}

void LinkAdder::AddLink(const std::string &url) {
  const bool added = Add(url);
  binder_.BindList();
  if (!added)
    TellFull(1);
}

void LinkAdder::AddLinks(const std::vector<std::string> &urls) {
  std::size_t dropped = 0;
  for (const std::string &url : urls)
    dropped += Add(url) ? 0 : 1;
  binder_.BindList();
  if (dropped > 0)
    TellFull(dropped);
}

std::string LinkAdder::ResolveItem(std::size_t index) {
  std::string result = resolve::kResultNoSupportedSite;
  failure_.clear();
  if (index >= items_.Count())
    return result;
  // The list may change at every yield (the page fetch and the header
  // request let the host run): the item is found again by its serial after
  // each of them, and an item that is gone is left alone.
  const std::uint64_t serial = items_.SerialAt(index);
  items_.SetStatus(index, kPreparingZero);
  binder_.RefreshRow(index);
  const std::string page = items_[index].Video_URL; // a copy: the item may move during the fetch

  auto found = [&] {
    const auto at = items_.IndexOfSerial(serial);
    if (at)
      index = *at;
    return at.has_value();
  };
  const std::string answer = fetcher_.GetDownloadLink(page);
  if (!found())
    return result;
  // Stopped while the page was read or resolved: the answer says nothing
  // about the item, which keeps its address and name for the next pass (and
  // no header request is made).
  if (download_.StopRequested())
    return result;
  if (answer == resolve::kResultNoSupportedSite) {
    items_.SetStatus(index, kError);
    items_.SetFileName(index, kUnsupportedLink);
  } else if (answer == resolve::kResultNoVideoAddress) {
    items_.SetFileName(index, kProcessFailed);
    items_.SetStatus(index, kError);
    items_.SetVideoURL(index, kVideoInappropriate);
  } else if (answer == resolve::kResultPageNotFetched) {
    items_.SetStatus(index, kError);
  } else {
    const FileInfo info = GetFileInfo(download_, answer, resolve::GetSiteID(page));
    if (!found() || download_.StopRequested())
      return result;
    if (items_[index].FileName == kWaitingAutoDetect)
      items_.SetFileName(index, info.FileName);
    items_.SetFileSize(index, info.SizeText);
    // A file the server does not have is not transferred: its error page
    // would take the file's name.
    if (!info.missing.empty()) {
      items_.SetStatus(index, kError);
      failure_ = info.missing;
      return result;
    }
    result = answer;
  }
  return result;
}

} // namespace vidtrawl::list
