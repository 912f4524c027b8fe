#include "list/DownloadList.h"

#include "base/TrimBlanks.h"
#include "list/CleanFileName.h"
#include "list/FileNaming.h"
#include "list/ListObserver.h"
#include "sites/SiteTable.h"

#include <algorithm>
#include <cassert>

namespace vidtrawl::list {
namespace {

// More runs of neighbours than this go at once, told as a new list: telling each would cost a
// pass over the list per run.
constexpr std::size_t kMostRunsTold = 64;

// An item whose page named no video holds its address no more: it may be added again.
const std::string &ListedAddress(const Item &item) {
  static const std::string none;
  return item.fault && base::NamesNoVideo(*item.fault) ? none : item.address;
}

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
  Tally(listed_, ListedAddress(item), delta);
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
    indexOfSerial_[item.serial] = items_.size();
    if (site == nullptr)
      EnterPhase(item, Phase::Unsupported, "added, of no supported site", trace_);
    Index(item, 1);
    items_.push_back(std::move(item));
  }
  if (items_.size() > first)
    Tell([&](ListObserver &o) { o.ItemsAdded(first, items_.size() - first); });
  return dropped;
}

std::size_t DownloadList::Restore(std::vector<std::pair<Item, Phase>> items) {
  Tell([](ListObserver &o) { o.ListAboutToReset(); });
  items_.clear();
  indexOfSerial_.clear();
  listed_.clear();
  fileNames_.clear();
  std::size_t left = 0;
  for (auto &[item, phase] : items) {
    if (items_.size() >= kCapacity || item.address.size() > kMaxAddress ||
        listed_.count(item.address) != 0) {
      ++left;
      continue;
    }
    item.serial = nextSerial_++;
    EnterPhase(item, phase, "read from the kept list", trace_);
    indexOfSerial_[item.serial] = items_.size();
    Index(item, 1);
    items_.push_back(std::move(item));
  }
  Tell([](ListObserver &o) { o.ListReset(); });
  return left;
}

std::size_t DownloadList::Remove(const std::vector<Serial> &serials) {
  std::vector<bool> goes(items_.size(), false);
  std::size_t count = 0;
  for (const Serial serial : serials)
    if (const std::optional<std::size_t> index = IndexOf(serial); index && !goes[*index]) {
      goes[*index] = true;
      ++count;
    }
  if (count == 0)
    return 0;
  // The runs of neighbours that go, each told as such, from the last (the indices before it
  // stay as they were); many runs are told as a new list.
  std::vector<std::pair<std::size_t, std::size_t>> runs;
  for (std::size_t i = 0; i < goes.size(); ++i)
    if (goes[i]) {
      if (runs.empty() || runs.back().first + runs.back().second != i)
        runs.emplace_back(i, 0);
      ++runs.back().second;
    }
  if (runs.size() <= kMostRunsTold) {
    for (auto run = runs.rbegin(); run != runs.rend(); ++run)
      RemoveRun(run->first, run->second);
    return count;
  }
  Tell([](ListObserver &o) { o.ListAboutToReset(); });
  std::size_t kept = 0;
  for (std::size_t i = 0; i < items_.size(); ++i) {
    if (goes[i]) {
      Index(items_[i], -1);
      indexOfSerial_.erase(items_[i].serial);
      continue;
    }
    items_[kept++] = std::move(items_[i]);
  }
  items_.resize(kept);
  Reindex(0);
  Tell([](ListObserver &o) { o.ListReset(); });
  return count;
}

void DownloadList::RemoveRun(std::size_t first, std::size_t count) {
  Tell([&](ListObserver &o) { o.ItemsAboutToBeRemoved(first, count); });
  const auto from = items_.begin() + static_cast<std::ptrdiff_t>(first);
  const auto to = from + static_cast<std::ptrdiff_t>(count);
  for (auto it = from; it != to; ++it) {
    Index(*it, -1);
    indexOfSerial_.erase(it->serial);
  }
  items_.erase(from, to);
  Reindex(first);
  Tell([&](ListObserver &o) { o.ItemsRemoved(first, count); });
}

std::size_t DownloadList::ClearCompleted() {
  std::vector<Serial> complete;
  for (const Item &item : items_)
    if (item.phase == Phase::Complete)
      complete.push_back(item.serial);
  return Remove(complete);
}

std::vector<Serial> DownloadList::Retry(const std::vector<Serial> &serials) {
  std::vector<Serial> retried;
  for (const Serial serial : serials) {
    const Item *item = Find(serial);
    if (item == nullptr || (item->phase != Phase::Failed && item->phase != Phase::Cancelled))
      continue;
    // Decided again: what the site was taken for may have been a guess (a file's address its
    // server answered with a page, once).
    const sites::Site *site = sites::SiteOfAddress(item->address, rule_);
    SetPhase(serial, site == nullptr ? Phase::Unsupported : Phase::Waiting, "tried again",
             [&](Item &it) {
               // As if just added, but for the bytes its partial file holds of its video, and a
               // name the user typed.
               it.site = site;
               it.nameTemplate.clear();
               if (!it.nameTyped)
                 it.fileName.reset();
               it.folder.clear();
               it.sizeKnown = SizeKnown::Unknown;
               it.size = it.received = it.total = 0;
               it.fragments = it.fragmentsStored = 0;
               it.bytesPerSecond = it.transferSeconds = 0;
               it.alreadyThere = false;
               it.fault.reset();
             });
    retried.push_back(serial);
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
  const std::optional<std::string> name = TypedFileName(typed);
  if (!name)
    return std::nullopt;
  if (!Update(serial, [&](Item &item) {
        item.fileName = *name;
        item.nameTyped = true;
      }))
    return std::nullopt;
  return name;
}

bool DownloadList::Update(Serial serial, const std::function<void(Item &)> &change) {
  return Change(serial, change, std::nullopt, {});
}

bool DownloadList::SetPhase(Serial serial, Phase phase, std::string_view why,
                            const std::function<void(Item &)> &change) {
  return Change(serial, change, phase, why);
}

bool DownloadList::Change(Serial serial, const std::function<void(Item &)> &change,
                          std::optional<Phase> phase, std::string_view why) {
  const std::optional<std::size_t> index = IndexOf(serial);
  if (!index)
    return false;
  Item &item = items_[*index];
  [[maybe_unused]] const Phase before = item.phase;
  Index(item, -1);
  if (change)
    change(item);
  assert(item.phase == before && "a phase changes through SetPhase alone");
  item.serial = serial;
  if (phase)
    EnterPhase(item, *phase, why, trace_);
  Index(item, 1);
  Tell([&](ListObserver &o) { o.ItemChanged(*index); });
  return true;
}

} // namespace vidtrawl::list
