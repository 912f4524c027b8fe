#pragma once

#include "host/EventLoop.h"
#include "list/Item.h"
#include "list/ListObserver.h"
#include "list/TargetNames.h"
#include "media/StreamDownload.h"
#include "scheduler/ItemJob.h"

#include <filesystem>
#include <functional>
#include <memory>
#include <unordered_set>
#include <vector>

namespace vidtrawl::list {
class DownloadList;
}
namespace vidtrawl::net {
class Session;
}

namespace vidtrawl::scheduler {

// Download passes over the list: up to N items' jobs run at once, taken in
// list order, until no item is left that the pass has not taken (items
// added, moved or retried meanwhile are taken too). Whatever N, the outcome
// does not depend on timing: jobs take their file names in list order (a
// job whose answer came waits for the earlier ones'), so two items of one
// name get NAME and NAME (2) in list order, as with one job at a time.
// Commands act on the running jobs at once; the list's changes reach it as
// an observer, and what they start happens on the loop's next turn.
class Scheduler final : public list::ListObserver {
public:
  struct Summary {
    int completed = 0;
    int failed = 0;
    std::vector<list::Serial> failedItems = {};
  };
  static constexpr int kMaxJobs = 16;

  Scheduler(list::DownloadList &items, net::Session &session);
  ~Scheduler() override;
  Scheduler(const Scheduler &) = delete;
  Scheduler &operator=(const Scheduler &) = delete;

  // How many jobs run at once: 1 to kMaxJobs.
  void SetJobLimit(int jobs);
  int JobLimit() const { return limit_; }

  // How streaming playlists are downloaded: the quality, and fragments at once.
  void SetStreamOptions(const media::StreamOptions &options) { streams_ = options; }
  const media::StreamOptions &StreamOptions() const { return streams_; }

  // Starts a pass into `folder` (made with its parents when missing); the
  // jobs start at once. Nothing while one runs.
  void StartPass(const std::filesystem::path &folder);
  // Every job ends at once, its item "Cancelled" with its bytes kept; the
  // pass ends. Nothing when no pass runs.
  void Stop();
  bool Running() const { return running_; }
  // The items whose jobs run, in list order.
  std::vector<list::Serial> RunningItems() const;

  // Paused items are taken by no pass until resumed; a running one ends at
  // once, keeping its bytes. Resumed (and retried) items wait again, and a
  // running pass takes them.
  void Pause(const std::vector<list::Serial> &serials);
  void Resume(const std::vector<list::Serial> &serials);
  void Requeue(const std::vector<list::Serial> &serials);
  // The item's file was named anew by the user.
  void Renamed(list::Serial serial, const std::string &name);

  // Told when a pass ends, with how it went.
  void OnPassEnded(std::function<void(const Summary &)> listener) {
    passEnded_ = std::move(listener);
  }

  void ItemChanged(std::size_t index) override;
  void ItemsAdded(std::size_t first, std::size_t count) override;
  void ItemsRemoved(std::size_t first, std::size_t count) override;
  void ItemsSwapped(std::size_t index) override;
  void ListReset() override;

private:
  friend class ItemJob;

  // What jobs need: their ends and their turns at naming.
  void JobEnded(ItemJob &job);
  void WantsName();
  // Starts jobs up to the limit, in list order; ends the pass when nothing
  // is left to run.
  void Fill();
  // What waits for the loop's next turn: ended jobs go, names are granted,
  // jobs are started.
  void Turn();
  void Soon();
  void GrantNames();
  bool Takeable(const list::Item &item) const;
  void Rewind(std::size_t index);
  void DiscardGone();
  ItemJob *JobOf(list::Serial serial);
  void Retire(std::unique_ptr<ItemJob> &job);
  void EndPass();

  list::DownloadList &items_;
  net::Session &session_;
  std::filesystem::path folder_;
  list::TargetNames names_;
  int limit_ = 3;
  media::StreamOptions streams_;
  bool running_ = false;
  Summary summary_;
  std::vector<std::unique_ptr<ItemJob>> jobs_;
  // Jobs that ended go on the loop's next turn: one may be ending from
  // inside its own call.
  std::vector<std::unique_ptr<ItemJob>> ended_;
  std::unordered_set<list::Serial> taken_; // the items this pass has taken
  std::size_t cursor_ = 0;                 // no item before it can be taken
  host::Timer turn_;
  std::function<void(const Summary &)> passEnded_;
};

} // namespace vidtrawl::scheduler
