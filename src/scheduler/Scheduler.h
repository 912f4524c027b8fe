#pragma once

#include "base/Trace.h"
#include "extractor/ExtractorQuery.h"
#include "host/EventLoop.h"
#include "list/Item.h"
#include "list/ListObserver.h"
#include "list/TargetNames.h"
#include "media/StreamDownload.h"
#include "scheduler/ItemJob.h"
#include "scheduler/JobHost.h"

#include <filesystem>
#include <functional>
#include <memory>
#include <unordered_map>
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
// an observer, and what they start happens on the loop's next turn. While
// jobs run, their runs are sampled once per tick and the ones that moved
// are told together.
class Scheduler final : public list::ListObserver, private JobHost {
public:
  struct Summary {
    int completed = 0;
    int failed = 0;
    std::vector<list::Serial> failedItems = {};
  };
  // How often the runs are sampled.
  static constexpr std::chrono::milliseconds kTick{100};

  Scheduler(list::DownloadList &items, net::Session &session);
  ~Scheduler() override;
  Scheduler(const Scheduler &) = delete;
  Scheduler &operator=(const Scheduler &) = delete;

  // How many jobs run at once (at least 1). Lowered, the surplus goes on until it ends.
  void SetJobLimit(int jobs);
  // How streaming playlists are downloaded: the quality, and fragments at once.
  void SetStreamOptions(const media::StreamOptions &options) { streams_ = options; }
  // The site extractor, for the jobs started from now.
  void SetExtractor(const extractor::ExtractorSettings &settings) { extractor_ = settings; }
  // Where the jobs' phase changes, requests and retries are told.
  void SetTrace(base::Trace trace) { trace_ = trace; }

  // Starts a pass into `folder` (made with its parents when missing); the
  // jobs start at once. Nothing while one runs.
  void StartPass(const std::filesystem::path &folder);
  // Every job ends at once, its item "Cancelled" with its bytes kept; the
  // pass ends. Nothing when no pass runs.
  void Stop();
  bool Running() const { return running_; }
  // The items whose jobs run, in list order.
  std::vector<list::Serial> RunningItems() const;
  // A running item's run; nothing for an item no job works on.
  const ItemRun *RunOf(list::Serial serial) const;

  // Paused items are taken by no pass until resumed; a running one ends at
  // once, keeping its bytes. Resumed (and retried) items wait again, and a
  // running pass takes them.
  void Pause(const std::vector<list::Serial> &serials);
  void Resume(const std::vector<list::Serial> &serials);
  void Requeue(const std::vector<list::Serial> &serials);
  // The item's file was named anew by the user.
  void Renamed(list::Serial serial, const std::string &name);
  // What a browser gave the item's requests, for each of its runs while it is listed.
  void SetRequest(list::Serial serial, base::ItemRequest request);
  bool HasRequest(list::Serial serial) const { return requests_.contains(serial); }

  // Told when a pass ends, with how it went; and once per tick of the items whose runs moved.
  void OnPassEnded(std::function<void(const Summary &)> listener) {
    passEnded_ = std::move(listener);
  }
  void OnRunsMoved(std::function<void(const std::vector<list::Serial> &)> listener) {
    runsMoved_ = std::move(listener);
  }

  void ItemChanged(std::size_t index) override;
  void ItemsAdded(std::size_t first, std::size_t count) override;
  void ItemsAboutToBeRemoved(std::size_t, std::size_t) override {}
  void ItemsRemoved(std::size_t first, std::size_t count) override;
  void ItemsSwapped(std::size_t index) override;
  void ListAboutToReset() override {}
  void ListReset() override;

private:
  // What the jobs may ask.
  const std::filesystem::path &Folder() const override { return folder_; }
  net::Session &Session() const override { return session_; }
  const media::StreamOptions &Streams() const override { return streams_; }
  std::shared_ptr<const base::ItemRequest> RequestOf(list::Serial serial) const override;
  const extractor::ExtractorSettings &Extractor() const override { return extractor_; }
  void WantsName() override { GrantNames(); }
  void Completed(const std::string &name) override { names_.Completed(name); }
  void Ended(ItemJob &job) override;

  // Starts jobs up to the limit, in list order; ends the pass when nothing
  // is left to run.
  void Fill();
  // What waits for the loop's next turn: ended jobs go, names are granted,
  // jobs are started.
  void Turn();
  void Soon();
  void Tick();
  void GrantNames();
  bool Takeable(const list::Item &item) const;
  void Rewind(std::size_t index);
  void DiscardGone();
  ItemJob *JobOf(list::Serial serial) const;
  // Takes the job out of those running; it goes on the next turn.
  void Retire(ItemJob &job);
  void EndPass();

  list::DownloadList &items_;
  net::Session &session_;
  base::Trace trace_;
  std::filesystem::path folder_;
  list::TargetNames names_;
  int limit_ = 1;
  media::StreamOptions streams_;
  std::unordered_map<list::Serial, std::shared_ptr<const base::ItemRequest>> requests_;
  extractor::ExtractorSettings extractor_;
  bool running_ = false;
  Summary summary_;
  std::vector<std::unique_ptr<ItemJob>> jobs_;
  // Jobs that ended go on the loop's next turn: one may be ending from
  // inside its own call.
  std::vector<std::unique_ptr<ItemJob>> ended_;
  std::unordered_set<list::Serial> taken_; // the items this pass has taken
  std::size_t cursor_ = 0;                 // no item before it can be taken
  host::Timer turn_;
  host::Timer tick_;
  std::function<void(const Summary &)> passEnded_;
  std::function<void(const std::vector<list::Serial> &)> runsMoved_;
};

} // namespace vidtrawl::scheduler
