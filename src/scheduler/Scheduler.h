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
#include <optional>
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
// added, moved or retried meanwhile are taken too). A pass of chosen items
// (what the user just added, retried or resumed) takes those alone, and those
// started while it runs. Whatever N, the outcome
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

  // How many jobs run at once (at least 1). Lowered, the surplus (the last in list order) waits
  // again with its bytes, for the pass to take it up later by a range request.
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
  // These items are taken: by the pass that runs, or by a pass of their own into `folder`. Those
  // complete, failed, paused or running are left as they are; false when none was left.
  bool Start(const std::filesystem::path &folder, const std::vector<list::Serial> &serials);
  // Whether a pass over the whole list would take any item.
  bool AnyTakeable() const;
  // The items the running pass works on or will take, in list order.
  std::vector<list::Serial> PassItems() const;
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
  // The paused ones wait again; those.
  std::vector<list::Serial> Resume(const std::vector<list::Serial> &serials);
  // Their jobs end at once, their items "Cancelled" with their bytes kept in their partial files
  // (items about to leave the list that leave their bytes behind).
  void Release(const std::vector<list::Serial> &serials);
  // The item's file was named anew by the user.
  void Renamed(list::Serial serial, const std::string &name);
  // What a browser gave the item's requests, for each of its runs while it is listed.
  void SetRequest(list::Serial serial, base::ItemRequest request);
  bool HasRequest(list::Serial serial) const { return requests_.contains(serial); }

  // Told when a pass begins and when it ends, with how it went; and once per tick of the items
  // whose runs moved.
  void OnPassStarted(std::function<void()> listener) { passStarted_ = std::move(listener); }
  void OnPassEnded(std::function<void(const Summary &)> listener) {
    passEnded_ = std::move(listener);
  }
  void OnPlaylistFound(
      std::function<void(list::Serial, std::size_t, std::vector<std::string>)> listener) {
    playlistFound_ = std::move(listener);
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
  void PlaylistFound(list::Serial serial, std::size_t videos,
                     std::vector<std::string> others) override {
    if (playlistFound_)
      playlistFound_(serial, videos, std::move(others));
  }
  void WantsName() override { GrantNames(); }
  void Completed(const std::string &name) override { names_.Completed(name); }
  void Ended(ItemJob &job) override;

  // Starts jobs up to the limit, in list order; ends the pass when nothing
  // is left to run.
  void Fill();
  // A pass begins, of the whole list or of chosen items: nothing taken yet.
  void Begin(const std::filesystem::path &folder, bool chosen);
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
  // A pass of chosen items: those; none: the whole list.
  std::optional<std::unordered_set<list::Serial>> only_;
  std::size_t cursor_ = 0; // no item before it can be taken
  host::Timer turn_;
  host::Timer tick_;
  std::function<void()> passStarted_;
  std::function<void(list::Serial, std::size_t, std::vector<std::string>)> playlistFound_;
  std::function<void(const Summary &)> passEnded_;
  std::function<void(const std::vector<list::Serial> &)> runsMoved_;
};

} // namespace vidtrawl::scheduler
