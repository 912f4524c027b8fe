#include "cli/ProgressTracker.h"

#include "base/ControlCharacters.h"

#include <unordered_map>

namespace vidtrawl::cli {
namespace {

// The rate is taken over the last few seconds of a transfer.
constexpr std::chrono::milliseconds kRateWindow{2500};
constexpr double kMinRateSpan = 0.1; // seconds

double Seconds(ProgressTracker::Clock::duration span) {
  return std::chrono::duration<double>(span).count();
}

// What the console calls an item: its file name, or its address while a
// placeholder stands there.
std::string NameOf(const engine::Item &item) {
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
  if (index < entries_.size())
    entries_[index].dirty = true;
}

void ProgressTracker::ItemsAdded(std::size_t first, std::size_t count) {
  const engine::DownloadList &list = engine_.List();
  for (std::size_t i = first; i < first + count && i < list.Count(); ++i) {
    entries_.insert(entries_.begin() + static_cast<std::ptrdiff_t>(i),
                    Entry{list[i].serial, true, Track{}});
    snapshot_.items.insert(snapshot_.items.begin() + static_cast<std::ptrdiff_t>(i), ItemView{});
  }
}

void ProgressTracker::ItemsRemoved(std::size_t first, std::size_t count) {
  const auto from = static_cast<std::ptrdiff_t>(first);
  const auto to = static_cast<std::ptrdiff_t>(std::min(first + count, entries_.size()));
  entries_.erase(entries_.begin() + from, entries_.begin() + to);
  snapshot_.items.erase(snapshot_.items.begin() + from, snapshot_.items.begin() + to);
  // The IDs after them changed.
  for (std::size_t i = first; i < entries_.size(); ++i)
    entries_[i].dirty = true;
}

void ProgressTracker::ItemsSwapped(std::size_t index) {
  if (index + 1 >= entries_.size())
    return;
  std::swap(entries_[index], entries_[index + 1]);
  entries_[index].dirty = entries_[index + 1].dirty = true;
}

void ProgressTracker::ListReset() {
  // Tracks of items that are still there are kept.
  std::unordered_map<engine::Serial, Track> old;
  for (Entry &was : entries_)
    old.emplace(was.serial, std::move(was.track));
  const engine::DownloadList &list = engine_.List();
  entries_.assign(list.Count(), Entry{});
  for (std::size_t i = 0; i < list.Count(); ++i) {
    entries_[i].serial = list[i].serial;
    if (const auto it = old.find(list[i].serial); it != old.end())
      entries_[i].track = std::move(it->second);
  }
  snapshot_.items.assign(list.Count(), ItemView{});
}

void ProgressTracker::Follow(Track &track, std::uint64_t bytes, Clock::time_point now) {
  if (!track.started || track.ended) {
    track = Track{};
    track.started = true;
    track.start = now;
  }
  track.seconds = Seconds(now - track.start);
  track.samples.emplace_back(now, bytes);
  while (track.samples.size() > 2 && now - track.samples.front().first > kRateWindow)
    track.samples.pop_front();
  const auto &[firstTime, firstBytes] = track.samples.front();
  const double span = Seconds(now - firstTime);
  if (span >= kMinRateSpan)
    track.rate = static_cast<double>(bytes - firstBytes) / span;
  else if (track.seconds >= kMinRateSpan)
    track.rate = static_cast<double>(bytes) / track.seconds;
}

void ProgressTracker::End(Track &track, std::uint64_t bytes, Clock::time_point now) {
  track.ended = true;
  track.samples.clear();
  if (track.started) {
    track.seconds = Seconds(now - track.start);
    track.rate = track.seconds > 0 ? static_cast<double>(bytes) / track.seconds : 0;
  }
}

void ProgressTracker::Refresh(std::size_t index, Clock::time_point now) {
  const engine::Item &item = engine_.List()[index];
  Entry &entry = entries_[index];
  ItemView &view = snapshot_.items[index];
  const bool arriving = item.phase == engine::Phase::Transferring;
  if (!entry.dirty && !arriving)
    return;
  entry.dirty = false;
  view.id = static_cast<int>(index) + 1;
  view.url = base::VisibleText(engine::AddressText(item));
  view.name = base::VisibleText(NameOf(item));
  view.status = base::VisibleText(engine::StatusText(item));
  view.sizeText = base::VisibleText(engine::SizeText(item));
  view.reason = base::VisibleText(engine::ReasonText(item));
  view.kind = KindOf(item.phase);
  // A size that more bytes than it arrived was no size: it is not shown.
  view.total = item.received > item.total ? 0 : static_cast<double>(item.total);
  view.bytes = -1;
  Track &track = entry.track;
  switch (item.phase) {
  case engine::Phase::Transferring:
    Follow(track, item.received, now);
    view.bytes = static_cast<std::int64_t>(item.received);
    break;
  case engine::Phase::Complete:
  case engine::Phase::Cancelled: {
    const std::uint64_t bytes = item.phase == engine::Phase::Complete ? item.size : item.received;
    if (!track.ended)
      End(track, bytes, now);
    view.bytes = static_cast<std::int64_t>(bytes);
    break;
  }
  default:
    track = Track{}; // a new attempt at the item starts from nothing
    break;
  }
  view.rate = track.rate;
  view.seconds = track.seconds;
}

const ProgressSnapshot &ProgressTracker::Sample(Clock::time_point now) {
  snapshot_.running = engine_.Downloading();
  const std::optional<engine::Serial> current = engine_.Current();
  for (std::size_t i = 0; i < entries_.size(); ++i) {
    Refresh(i, now);
    snapshot_.items[i].current = current == entries_[i].serial;
  }
  return snapshot_;
}

} // namespace vidtrawl::cli
