#include "cli/ProgressTracker.h"

#include "base/ControlCharacters.h"

#include <algorithm>

namespace vidtrawl::cli {
namespace {

// What the console calls an item: its file name, or its address while a
// placeholder stands there.
std::string NameOf(const engine::ItemView &item) {
  return engine::FileNamePlaceholder(item) ? engine::AddressText(item) : engine::FileNameText(item);
}

} // namespace

ProgressTracker::ProgressTracker(engine::Engine &engine) : engine_(engine) {
  ListReset();
  engine_.Subscribe(this);
}

ProgressTracker::~ProgressTracker() {
  engine_.Unsubscribe(this);
}

void ProgressTracker::ItemChanged(std::size_t index) {
  if (index < dirty_.size())
    dirty_[index] = true;
}

void ProgressTracker::RunsChanged(const std::vector<std::size_t> &indices) {
  for (const std::size_t index : indices)
    ItemChanged(index);
}

void ProgressTracker::ItemsAdded(std::size_t first, std::size_t count) {
  const std::size_t last = std::min(first + count, engine_.Count());
  for (std::size_t i = first; i < last; ++i) {
    dirty_.insert(dirty_.begin() + static_cast<std::ptrdiff_t>(i), true);
    snapshot_.items.insert(snapshot_.items.begin() + static_cast<std::ptrdiff_t>(i), ItemView{});
  }
}

void ProgressTracker::ItemsRemoved(std::size_t first, std::size_t count) {
  const auto from = static_cast<std::ptrdiff_t>(first);
  const auto to = static_cast<std::ptrdiff_t>(std::min(first + count, dirty_.size()));
  dirty_.erase(dirty_.begin() + from, dirty_.begin() + to);
  snapshot_.items.erase(snapshot_.items.begin() + from, snapshot_.items.begin() + to);
  // The IDs after them changed.
  for (std::size_t i = first; i < dirty_.size(); ++i)
    dirty_[i] = true;
}

void ProgressTracker::ItemsSwapped(std::size_t index) {
  if (index + 1 >= dirty_.size())
    return;
  dirty_[index] = dirty_[index + 1] = true;
}

void ProgressTracker::ListReset() {
  dirty_.assign(engine_.Count(), true);
  snapshot_.items.assign(engine_.Count(), ItemView{});
}

void ProgressTracker::Refresh(std::size_t index) {
  if (!dirty_[index])
    return;
  dirty_[index] = false;
  const engine::ItemView item = engine_.ItemAt(index);
  ItemView &view = snapshot_.items[index];
  view.id = static_cast<int>(index) + 1;
  view.url = base::VisibleText(engine::AddressText(item));
  view.name = base::VisibleText(NameOf(item));
  view.status = base::VisibleText(engine::StatusText(item));
  view.sizeText = base::VisibleText(engine::SizeText(item));
  view.reason = base::VisibleText(engine::ReasonText(item));
  view.kind = KindOf(item.phase);
  // A size that more bytes than it arrived was no size: it is not shown.
  view.total = item.received > item.total ? 0 : static_cast<double>(item.total);
  switch (item.phase) {
  case engine::Phase::Receiving:
  case engine::Phase::Cancelled:
    view.bytes = static_cast<std::int64_t>(item.received);
    break;
  case engine::Phase::Complete:
    view.bytes = static_cast<std::int64_t>(item.size);
    break;
  default:
    view.bytes = -1;
    break;
  }
  view.fragments = item.fragments;
  view.fragmentsStored = item.fragmentsStored;
  view.rate = item.bytesPerSecond;
  view.seconds = item.transferSeconds;
  view.secondsLeft = engine::SecondsLeft(item).value_or(-1);
}

const ProgressSnapshot &ProgressTracker::Sample() {
  snapshot_.running = engine_.Downloading();
  const std::vector<engine::Serial> running = engine_.RunningItems();
  for (std::size_t i = 0; i < dirty_.size(); ++i) {
    Refresh(i);
    const engine::Serial serial = engine_.SerialAt(i);
    snapshot_.items[i].current = std::find(running.begin(), running.end(), serial) != running.end();
  }
  return snapshot_;
}

} // namespace vidtrawl::cli
