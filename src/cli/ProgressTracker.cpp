#include "cli/ProgressTracker.h"

#include "base/ControlCharacters.h"
#include "engine/Engine.h"

#include <filesystem>
#include <system_error>

#include <sys/stat.h>

namespace vidtrawl::cli {
namespace {

// The rate is taken over the last few seconds of a transfer.
constexpr std::chrono::milliseconds kRateWindow{2500};
constexpr double kMinRateSpan = 0.1; // seconds

std::int64_t FileBytes(const std::string &path) {
  struct stat info {};
  if (path.empty() || ::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode))
    return -1;
  return static_cast<std::int64_t>(info.st_size);
}

double Seconds(ProgressTracker::Clock::duration span) {
  return std::chrono::duration<double>(span).count();
}

} // namespace

ProgressTracker::ProgressTracker(const engine::Engine &engine, std::string downloadDir)
    : engine_(engine), downloadDir_(std::move(downloadDir)) {}

void ProgressTracker::FollowTransfer(Track &track, const engine::Activity &activity,
                                     Clock::time_point now) {
  if (!track.started || track.finalized) {
    track = Track{};
    track.started = true;
    track.start = now;
  }
  // What the transfer received: the file itself may lag behind it, since
  // it is written in large blocks.
  track.bytes = activity.bytesReceived;
  track.total = activity.fileSize;
  track.seconds = Seconds(now - track.start);
  if (track.bytes < 0)
    return;
  track.samples.emplace_back(now, track.bytes);
  while (track.samples.size() > 2 && now - track.samples.front().first > kRateWindow)
    track.samples.pop_front();
  const auto &[firstTime, firstBytes] = track.samples.front();
  const double span = Seconds(now - firstTime);
  if (span >= kMinRateSpan)
    track.rate = static_cast<double>(track.bytes - firstBytes) / span;
  else if (track.seconds >= kMinRateSpan)
    track.rate = static_cast<double>(track.bytes) / track.seconds;
}

void ProgressTracker::Finalize(Track &track, const std::string &fileName, Clock::time_point now) {
  track.finalized = true;
  track.samples.clear();
  const std::int64_t bytes = FileBytes((std::filesystem::path(downloadDir_) / fileName).string());
  if (bytes >= 0)
    track.bytes = bytes;
  if (track.started) {
    track.seconds = Seconds(now - track.start);
    track.rate =
        track.seconds > 0 && track.bytes > 0 ? static_cast<double>(track.bytes) / track.seconds : 0;
  }
}

ProgressSnapshot ProgressTracker::Sample(Clock::time_point now) {
  ProgressSnapshot snapshot;
  const engine::Activity activity = engine_.CurrentActivity();
  snapshot.running = activity.downloading;
  const std::vector<engine::DownloadItem> &items = engine_.Items();
  const std::size_t count = items.size();
  if (tracks_.size() < count)
    tracks_.resize(count);
  snapshot.items.reserve(count);

  for (std::size_t i = 0; i < count; ++i) {
    const engine::DownloadItem &item = items[i];
    ItemView view;
    view.id = item.ID;
    view.url = base::VisibleText(item.Video_URL);
    view.fileName = base::VisibleText(item.FileName);
    view.status = base::VisibleText(item.Status);
    view.sizeText = base::VisibleText(item.FileSize);
    view.kind = KindOf(item.Status);
    view.current = activity.currentIndex == i;

    Track &track = tracks_[i];
    if (view.kind == StatusKind::Downloading && view.current && !activity.fetchingPage) {
      FollowTransfer(track, activity, now);
    } else if (view.kind == StatusKind::Complete || view.kind == StatusKind::Cancelled) {
      if (!track.finalized)
        Finalize(track,
                 view.kind == StatusKind::Cancelled ? item.FileName + engine::kPartialSuffix
                                                    : item.FileName,
                 now);
    } else if (view.kind == StatusKind::Preparing || view.kind == StatusKind::Waiting) {
      track = Track{}; // a new attempt at the item starts from nothing
    }

    if (track.started || track.finalized) {
      view.bytes = track.bytes;
      view.total = track.total;
      view.rate = track.rate;
      view.seconds = track.seconds;
    }
    snapshot.items.push_back(std::move(view));
  }
  return snapshot;
}

} // namespace vidtrawl::cli
