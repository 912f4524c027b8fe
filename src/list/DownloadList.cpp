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
    serials_.push_back(nextSerial_);
    try {
      items_.push_back(std::move(item)); // strong guarantee: unchanged on failure
    } catch (...) {
      serials_.pop_back();
      throw;
    }
    ++nextSerial_;
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
  std::size_t kept = 0;
  for (std::size_t i = 0; i < items_.size(); ++i) {
    if (items_[i].ID == id)
      continue;
    if (kept != i) {
      items_[kept] = std::move(items_[i]);
      serials_[kept] = serials_[i];
    }
    DownloadItem &item = items_[kept];
    item.ID = static_cast<int>(++kept);
    if (item.Status.empty())
      item.Status = kWaiting;
    if (item.FileSize.empty())
      item.FileSize = kUnknownSize;
  }
  items_.resize(kept);
  serials_.resize(kept);
  return true;
}

void DownloadList::MoveItemUp(int id) {
  if (items_.size() == 1)
    return;
  for (std::size_t i = 1; i < items_.size(); ++i) {
    if (items_[i].ID != id)
      continue;
    std::swap(items_[i - 1], items_[i]);
    std::swap(serials_[i - 1], serials_[i]);
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
    std::swap(serials_[i], serials_[i + 1]);
    items_[i + 1].ID += 1;
    items_[i].ID -= 1;
    return;
  }
}

std::optional<std::size_t> DownloadList::IndexOfSerial(std::uint64_t serial,
                                                       std::size_t hint) const {
  if (serials_.empty())
    return std::nullopt;
  hint = std::min(hint, serials_.size() - 1);
  if (serials_[hint] == serial)
    return hint;
  // Serials grow with the list order except where items were moved, so the
  // search starts near the hint and widens both ways.
  for (std::size_t step = 1; step <= serials_.size(); ++step) {
    if (hint >= step && hint - step < serials_.size() && serials_[hint - step] == serial)
      return hint - step;
    if (hint + step < serials_.size() && serials_[hint + step] == serial)
      return hint + step;
    if (hint < step && hint + step >= serials_.size())
      break;
  }
  return std::nullopt;
}

} // namespace vidtrawl::list
