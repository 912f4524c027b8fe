#include "list/DownloadList.h"

#include "base/TrimBlanks.h"
#include "list/CleanFileName.h"
#include "list/FileNaming.h"
#include "list/ItemText.h"
#include "list/ListObserver.h"
#include "sites/SiteTable.h"

#include <algorithm>

namespace vidtrawl::list {
namespace {

void Tally(std::unordered_map<std::string, int> &counts, const std::string &key, int delta) {
  const auto it = counts.try_emplace(key, 0).first;
  it->second += delta;
  if (it->second <= 0)
    counts.erase(it);
}

} // namespace

template <typename Call> void DownloadList::Tell(Call call) {
  // A copy: an observer may leave while it is told.
  const std::vector<ListObserver *> observers = observers_;
  for (ListObserver *observer : observers)
    call(*observer);
}

void DownloadList::Subscribe(ListObserver *observer) {
  if (observer != nullptr &&
      std::find(observers_.begin(), observers_.end(), observer) == observers_.end())
    observers_.push_back(observer);
}

void DownloadList::Unsubscribe(ListObserver *observer) {
  std::erase(observers_, observer);
}

void DownloadList::Index(const Item &item, int delta) {
  Tally(listed_, AddressText(item), delta);
  if (item.fileName)
    Tally(fileNames_, *item.fileName, delta);
}

void DownloadList::Reindex(std::size_t from) {
  for (std::size_t i = from; i < items_.size(); ++i)
    indexOfSerial_[items_[i].serial] = i;
}

std::optional<std::size_t> DownloadList::IndexOf(Serial serial) const {
  const auto it = indexOfSerial_.find(serial);
  if (it == indexOfSerial_.end())
    return std::nullopt;
  return it->second;
}

const Item *DownloadList::Find(Serial serial) const {
  const std::optional<std::size_t> index = IndexOf(serial);
  return index ? &items_[*index] : nullptr;
}

std::size_t DownloadList::CountOfFileName(const std::string &fileName) const {
  const auto it = fileNames_.find(fileName);
  return it == fileNames_.end() ? 0 : static_cast<std::size_t>(it->second);
}

std::size_t DownloadList::Add(const std::vector<std::string> &addresses, bool supportedOnly) {
  const std::size_t first = items_.size();
  std::size_t dropped = 0;
  for (const std::string &text : addresses) {
    const std::string address(base::TrimBlanks(text));
    if (address.empty() || address.size() > kMaxAddress || listed_.count(address) != 0)
      continue;
    const sites::Site *site = sites::SiteOfAddress(address, rule_);
    if (site == nullptr && supportedOnly)
      continue;
    if (items_.size() >= kCapacity) {
      ++dropped;
      continue;
    }
    Item item;
    item.serial = nextSerial_++;
    item.address = address;
    item.site = site;
    item.phase = item.site == nullptr ? Phase::Unsupported : Phase::Waiting;
    indexOfSerial_[item.serial] = items_.size();
    Index(item, 1);
    items_.push_back(std::move(item));
  }
  if (items_.size() > first)
    Tell([&](ListObserver &o) { o.ItemsAdded(first, items_.size() - first); });
  return dropped;
}

std::size_t DownloadList::Restore(std::vector<Item> items) {
  items_.clear();
  indexOfSerial_.clear();
  listed_.clear();
  fileNames_.clear();
  std::size_t left = 0;
  for (Item &item : items) {
    if (items_.size() >= kCapacity || item.address.size() > kMaxAddress ||
        listed_.count(item.address) != 0) {
      ++left;
      continue;
    }
    item.serial = nextSerial_++;
    indexOfSerial_[item.serial] = items_.size();
    Index(item, 1);
    items_.push_back(std::move(item));
  }
  Tell([](ListObserver &o) { o.ListReset(); });
  return left;
}

std::size_t DownloadList::Remove(const std::vector<Serial> &serials) {
  std::vector<bool> goes(items_.size(), false);
  std::size_t firstGone = items_.size();
  std::size_t count = 0;
  for (const Serial serial : serials)
    if (const std::optional<std::size_t> index = IndexOf(serial); index && !goes[*index]) {
      goes[*index] = true;
      firstGone = std::min(firstGone, *index);
      ++count;
    }
  if (count == 0)
    return 0;
  std::size_t kept = firstGone;
  for (std::size_t i = firstGone; i < items_.size(); ++i) {
    if (goes[i]) {
      Index(items_[i], -1);
      indexOfSerial_.erase(items_[i].serial);
      continue;
    }
    items_[kept++] = std::move(items_[i]);
  }
  items_.resize(kept);
  Reindex(firstGone);
  // One run of neighbours is told as such; anything else as a new list.
  const bool oneRun = std::count(goes.begin() + static_cast<std::ptrdiff_t>(firstGone),
                                 goes.begin() + static_cast<std::ptrdiff_t>(firstGone + count),
                                 true) == static_cast<std::ptrdiff_t>(count);
  if (oneRun)
    Tell([&](ListObserver &o) { o.ItemsRemoved(firstGone, count); });
  else
    Tell([](ListObserver &o) { o.ListReset(); });
  return count;
}

std::size_t DownloadList::ClearCompleted() {
  std::vector<Serial> complete;
  for (const Item &item : items_)
    if (item.phase == Phase::Complete)
      complete.push_back(item.serial);
  return Remove(complete);
}

std::size_t DownloadList::Retry(const std::vector<Serial> &serials) {
  std::size_t retried = 0;
  for (const Serial serial : serials) {
    const Item *item = Find(serial);
    if (item == nullptr || (item->phase != Phase::Failed && item->phase != Phase::Cancelled))
      continue;
    Update(serial, [this](Item &it) {
      Item fresh;
      fresh.serial = it.serial;
      fresh.address = std::move(it.address);
      // Decided again: what the site was taken for may have been a guess
      // (a file's address its server answered with a page, once).
      fresh.site = sites::SiteOfAddress(fresh.address, rule_);
      fresh.phase = fresh.site == nullptr ? Phase::Unsupported : Phase::Waiting;
      fresh.partName = std::move(it.partName);         // its bytes are taken up again,
      fresh.videoAddress = std::move(it.videoAddress); // and are that address's
      if (it.nameTyped) {
        fresh.fileName = std::move(it.fileName);
        fresh.nameTyped = true;
      }
      it = std::move(fresh);
    });
    ++retried;
  }
  return retried;
}

bool DownloadList::MoveUp(Serial serial) {
  const std::optional<std::size_t> index = IndexOf(serial);
  return index && *index > 0 && MoveDown(items_[*index - 1].serial);
}

bool DownloadList::MoveDown(Serial serial) {
  const std::optional<std::size_t> index = IndexOf(serial);
  if (!index || *index + 1 >= items_.size())
    return false;
  std::swap(items_[*index], items_[*index + 1]);
  indexOfSerial_[items_[*index].serial] = *index;
  indexOfSerial_[items_[*index + 1].serial] = *index + 1;
  Tell([&](ListObserver &o) { o.ItemsSwapped(*index); });
  return true;
}

std::optional<std::string> DownloadList::Rename(Serial serial, const std::string &typed) {
  std::string name = CleanFileName(typed);
  if (name == kEnterFileName)
    return std::nullopt;
  ShortenKeepingExtension(name, kMaxFileName);
  if (!Update(serial, [&](Item &item) {
        item.fileName = name;
        item.nameTyped = true;
      }))
    return std::nullopt;
  return name;
}

bool DownloadList::Update(Serial serial, const std::function<void(Item &)> &change) {
  const std::optional<std::size_t> index = IndexOf(serial);
  if (!index)
    return false;
  Item &item = items_[*index];
  Index(item, -1);
  change(item);
  item.serial = serial;
  Index(item, 1);
  Tell([&](ListObserver &o) { o.ItemChanged(*index); });
  return true;
}

} // namespace vidtrawl::list
