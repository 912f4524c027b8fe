#include "list/DownloadList.h"

#include "list/ItemObserver.h"
#include "list/Status.h"

#include <new>
#include <utility>

namespace vidtrawl::list {
namespace {

// Room for one more element, growing geometrically (reserve alone would
// reallocate at every add).
template <typename Vector> void ReserveOneMore(Vector &vector) {
  if (vector.size() == vector.capacity())
    vector.reserve(vector.capacity() < 16 ? 16 : vector.capacity() * 2);
}

} // namespace

void DownloadList::Count(std::unordered_map<std::string, int> &counts, const std::string &key,
                         int delta) {
  const auto it = counts.try_emplace(key, 0).first;
  it->second += delta;
  if (it->second <= 0)
    counts.erase(it);
}

std::size_t DownloadList::CountOfFileName(const std::string &fileName) const {
  const auto it = fileNameCounts_.find(fileName);
  return it == fileNameCounts_.end() ? 0 : static_cast<std::size_t>(it->second);
}

void DownloadList::Changed(std::size_t index) {
  if (observer_ != nullptr)
    observer_->ItemChanged(index);
}

void DownloadList::Restructured() {
  if (observer_ != nullptr)
    observer_->ListChanged();
}

bool DownloadList::AddItem(const std::string &url, const std::string &fileName,
                           const std::string &status, const std::string &size) {
  if (urlCounts_.count(url) != 0)
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
    ReserveOneMore(items_);
    ReserveOneMore(serials_);
    // Only the map insertions below can still fail; the list is left as
    // it was when one does.
    urlCounts_.emplace(url, 1);
    try {
      indexOfSerial_.emplace(nextSerial_, items_.size());
      try {
        Count(fileNameCounts_, item.FileName, 1);
      } catch (...) {
        indexOfSerial_.erase(nextSerial_);
        throw;
      }
    } catch (...) {
      urlCounts_.erase(url);
      throw;
    }
    serials_.push_back(nextSerial_++);
    items_.push_back(std::move(item));
  } catch (const std::bad_alloc &) {
    return false;
  }
  Restructured();
  return true;
}

bool DownloadList::UpdateItem(int id, const std::string &url, const std::string &fileName,
                              const std::string &status, const std::string &size) {
  if (id < 1 || static_cast<std::size_t>(id) > items_.size())
    return true;
  const std::size_t index = static_cast<std::size_t>(id) - 1;
  if (!url.empty())
    SetVideoURL(index, url);
  if (!fileName.empty())
    SetFileName(index, fileName);
  if (!status.empty())
    SetStatus(index, status);
  if (!size.empty())
    SetFileSize(index, size);
  return true;
}

void DownloadList::SetVideoURL(std::size_t index, const std::string &url) {
  if (index >= items_.size())
    return;
  CountUrl(url, 1);
  CountUrl(items_[index].Video_URL, -1);
  items_[index].Video_URL = url;
  Changed(index);
}

void DownloadList::SetFileName(std::size_t index, const std::string &fileName) {
  if (index >= items_.size())
    return;
  Count(fileNameCounts_, fileName, 1);
  Count(fileNameCounts_, items_[index].FileName, -1);
  items_[index].FileName = fileName;
  Changed(index);
}

void DownloadList::SetStatus(std::size_t index, const std::string &status) {
  if (index >= items_.size())
    return;
  items_[index].Status = status;
  Changed(index);
}

void DownloadList::SetFileSize(std::size_t index, const std::string &size) {
  if (index >= items_.size())
    return;
  items_[index].FileSize = size;
  Changed(index);
}

bool DownloadList::RemoveItem(int id) {
  if (items_.empty())
    return false;
  // Same outcome as rebuilding the list from a snapshot of the survivors,
  // done in place: drop the matching items, then renumber and apply the
  // add defaults to every survivor.
  std::size_t kept = 0;
  for (std::size_t i = 0; i < items_.size(); ++i) {
    if (items_[i].ID == id) {
      CountUrl(items_[i].Video_URL, -1);
      Count(fileNameCounts_, items_[i].FileName, -1);
      indexOfSerial_.erase(serials_[i]);
      continue;
    }
    if (kept != i) {
      items_[kept] = std::move(items_[i]);
      serials_[kept] = serials_[i];
      indexOfSerial_[serials_[kept]] = kept;
    }
    DownloadItem &item = items_[kept];
    item.ID = static_cast<int>(++kept);
    if (item.Status.empty())
      item.Status = kWaiting;
    if (item.FileSize.empty())
      item.FileSize = kUnknownSize;
  }
  const bool removed = kept != items_.size();
  items_.resize(kept);
  serials_.resize(kept);
  if (removed)
    Restructured();
  return true;
}

void DownloadList::MoveItemUp(int id) {
  if (id >= 2 && static_cast<std::size_t>(id) <= items_.size())
    MoveItemDown(id - 1);
}

void DownloadList::MoveItemDown(int id) {
  // ID n is at index n - 1: the item and the one after it change places.
  if (id < 1 || static_cast<std::size_t>(id) >= items_.size())
    return;
  const auto i = static_cast<std::size_t>(id) - 1;
  std::swap(items_[i], items_[i + 1]);
  std::swap(serials_[i], serials_[i + 1]);
  items_[i].ID = id;
  items_[i + 1].ID = id + 1;
  indexOfSerial_[serials_[i]] = i;
  indexOfSerial_[serials_[i + 1]] = i + 1;
  Restructured();
}

std::optional<std::size_t> DownloadList::IndexOfSerial(std::uint64_t serial) const {
  const auto it = indexOfSerial_.find(serial);
  if (it == indexOfSerial_.end())
    return std::nullopt;
  return it->second;
}

} // namespace vidtrawl::list
