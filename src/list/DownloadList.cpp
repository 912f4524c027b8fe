#include "list/DownloadList.h"

#include "list/Status.h"

#include <algorithm>
#include <new>
#include <utility>

namespace vidtrawl::list {

bool DownloadList::AddItem(const std::string &url, const std::string &fileName,
                           const std::string &status, const std::string &size) {
  for (const DownloadItem &item : items_)
    if (item.Video_URL == url)
      return true;
  if (items_.size() >= kMaxItems)
    return false;
  try {
    DownloadItem item;
    item.ID = static_cast<int>(items_.size()) + 1;
    item.Video_URL = url;
    item.FileName = fileName;
    item.Status = status.empty() ? std::string(kWaiting) : status;
    item.FileSize = size.empty() ? std::string(kUnknownSize) : size;
    items_.push_back(std::move(item)); // strong guarantee: unchanged on failure
  } catch (const std::bad_alloc &) {
    return false;
  }
  return true;
}

bool DownloadList::UpdateItem(int id, const std::string &url, const std::string &fileName,
                              const std::string &status, const std::string &size) {
  if (id < 1 || static_cast<std::size_t>(id) > items_.size())
    return true;
  DownloadItem &item = items_[static_cast<std::size_t>(id) - 1];
  if (!url.empty())
    item.Video_URL = url;
  if (!fileName.empty())
    item.FileName = fileName;
  if (!status.empty())
    item.Status = status;
  if (!size.empty())
    item.FileSize = size;
  return true;
}

bool DownloadList::RemoveItem(int id) {
  if (items_.empty())
    return false;
  // Same outcome as rebuilding the list from a snapshot of the survivors,
  // done in place: drop the matching items, then renumber and apply the
  // add defaults to every survivor.
  std::erase_if(items_, [id](const DownloadItem &item) { return item.ID == id; });
  int next = 1;
  for (DownloadItem &item : items_) {
    item.ID = next++;
    if (item.Status.empty())
      item.Status = kWaiting;
    if (item.FileSize.empty())
      item.FileSize = kUnknownSize;
  }
  return true;
}

void DownloadList::MoveItemUp(int id) {
  if (items_.size() == 1)
    return;
  for (std::size_t i = 1; i < items_.size(); ++i) {
    if (items_[i].ID != id)
      continue;
    std::swap(items_[i - 1], items_[i]);
    items_[i - 1].ID -= 1;
    items_[i].ID += 1;
    return;
  }
}

void DownloadList::MoveItemDown(int id) {
  if (items_.size() == 1)
    return;
  for (std::size_t i = 0; i + 1 < items_.size(); ++i) {
    if (items_[i].ID != id)
      continue;
    std::swap(items_[i], items_[i + 1]);
    items_[i + 1].ID += 1;
    items_[i].ID -= 1;
    return;
  }
}

} // namespace vidtrawl::list
