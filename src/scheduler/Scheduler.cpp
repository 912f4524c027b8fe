#include "scheduler/Scheduler.h"

#include "list/DownloadList.h"
#include "net/PartialFile.h"
#include "net/Session.h"

#include <algorithm>
#include <system_error>

namespace vidtrawl::scheduler {

using base::Phase;
using list::Serial;

Scheduler::Scheduler(list::DownloadList &items, net::Session &session)
    : items_(items), session_(session), names_(items), turn_(session.Loop()),
      tick_(session.Loop()) {
  items_.Subscribe(this);
}

Scheduler::~Scheduler() {
  items_.Unsubscribe(this);
}

void Scheduler::SetJobLimit(int jobs) {
  limit_ = std::max(jobs, 1);
  const std::vector<Serial> running = RunningItems();
  for (std::size_t i = static_cast<std::size_t>(limit_); i < running.size(); ++i) {
    ItemJob *job = JobOf(running[i]);
    job->Cancel(Phase::Waiting, "waits again: fewer downloads at once");
    Retire(*job);
    taken_.erase(running[i]);
    Rewind(*items_.IndexOf(running[i]));
  }
  Soon();
}

void Scheduler::Begin(const std::filesystem::path &folder, bool chosen) {
  std::error_code ec;
  std::filesystem::create_directories(folder,
                                      ec); // one that cannot be made fails each item, with why
  folder_ = folder;
  running_ = true;
  summary_ = {};
  names_.Clear();
  taken_.clear();
  only_.reset();
  if (chosen)
    only_.emplace();
  cursor_ = 0;
}

void Scheduler::StartPass(const std::filesystem::path &folder) {
  if (running_)
    return;
  Begin(folder, false);
  if (passStarted_)
    passStarted_();
  Fill();
}

bool Scheduler::Start(const std::filesystem::path &folder, const std::vector<Serial> &serials) {
  std::vector<Serial> chosen;
  for (const Serial serial : serials)
    if (const list::Item *item = items_.Find(serial);
        item != nullptr && !base::IsFinished(item->phase) && item->phase != Phase::Paused &&
        JobOf(serial) == nullptr)
      chosen.push_back(serial);
  if (chosen.empty())
    return false;
  const bool begins = !running_;
  if (begins)
    Begin(folder, true);
  for (const Serial serial : chosen) {
    taken_.erase(serial);
    if (only_)
      only_->insert(serial);
    Rewind(*items_.IndexOf(serial));
  }
  if (!begins) {
    Soon();
    return true;
  }
  if (passStarted_)
    passStarted_();
  Fill();
  return true;
}

bool Scheduler::AnyTakeable() const {
  return std::any_of(items_.Items().begin(), items_.Items().end(), [](const list::Item &item) {
    return !base::IsFinished(item.phase) && item.phase != Phase::Paused;
  });
}

std::vector<Serial> Scheduler::PassItems() const {
  std::vector<Serial> serials;
  if (!running_)
    return serials;
  for (const list::Item &item : items_.Items())
    if (JobOf(item.serial) != nullptr || Takeable(item))
      serials.push_back(item.serial);
  return serials;
}

bool Scheduler::Takeable(const list::Item &item) const {
  return !base::IsFinished(item.phase) && item.phase != Phase::Paused &&
         taken_.count(item.serial) == 0 && (!only_ || only_->count(item.serial) != 0);
}

void Scheduler::Turn() {
  ended_.clear();
  GrantNames();
  Fill();
}

void Scheduler::Fill() {
  if (!running_)
    return;
  while (jobs_.size() < static_cast<std::size_t>(limit_)) {
    // Every item before the cursor is finished, paused or taken already.
    while (cursor_ < items_.Count() && !Takeable(items_[cursor_]))
      ++cursor_;
    if (cursor_ >= items_.Count())
      break;
    const Serial serial = items_[cursor_].serial;
    taken_.insert(serial);
    jobs_.push_back(
        std::make_unique<ItemJob>(static_cast<JobHost &>(*this), items_, serial, trace_));
    jobs_.back()->Start();
  }
  if (!jobs_.empty() && !tick_.Active())
    tick_.Start(kTick, [this] { Tick(); });
  if (jobs_.empty())
    EndPass();
}

void Scheduler::Tick() {
  std::vector<Serial> moved;
  const RateMeter::Clock::time_point now = RateMeter::Clock::now();
  for (const auto &job : jobs_)
    if (job->Sample(now))
      moved.push_back(job->Serial());
  if (!moved.empty() && runsMoved_)
    runsMoved_(moved);
  if (!jobs_.empty())
    tick_.Start(kTick, [this] { Tick(); });
}

void Scheduler::Soon() {
  if (!turn_.Active())
    turn_.Start(std::chrono::milliseconds(0), [this] { Turn(); });
}

void Scheduler::EndPass() {
  running_ = false;
  taken_.clear();
  only_.reset();
  tick_.Stop();
  if (passEnded_)
    passEnded_(summary_);
}

void Scheduler::Retire(ItemJob &job) {
  const auto it =
      std::find_if(jobs_.begin(), jobs_.end(), [&](const auto &j) { return j.get() == &job; });
  if (it == jobs_.end())
    return;
  ended_.push_back(std::move(*it));
  jobs_.erase(it);
}

void Scheduler::Ended(ItemJob &job) {
  // The pass counts what its jobs became.
  const list::Item *item = items_.Find(job.Serial());
  if (item != nullptr && item->phase == Phase::Complete)
    ++summary_.completed;
  else if (item != nullptr && item->phase == Phase::Failed) {
    ++summary_.failed;
    summary_.failedItems.push_back(job.Serial());
  }
  Retire(job);
  // A job that ends may let a later one take its name.
  GrantNames();
  Soon();
}

std::vector<Serial> Scheduler::RunningItems() const {
  std::vector<std::pair<std::size_t, Serial>> placed;
  for (const auto &job : jobs_)
    if (const std::optional<std::size_t> index = items_.IndexOf(job->Serial()))
      placed.emplace_back(*index, job->Serial());
  std::sort(placed.begin(), placed.end());
  std::vector<Serial> serials;
  for (const auto &[index, serial] : placed)
    serials.push_back(serial);
  return serials;
}

const ItemRun *Scheduler::RunOf(Serial serial) const {
  const ItemJob *job = JobOf(serial);
  return job != nullptr ? &job->Run() : nullptr;
}

ItemJob *Scheduler::JobOf(Serial serial) const {
  for (const auto &job : jobs_)
    if (job->Serial() == serial)
      return job.get();
  return nullptr;
}

void Scheduler::GrantNames() {
  // In list order, each job whose answer came has its name decided, up to
  // the first that is still waiting for its answer: it may want the same
  // name, and with one job at a time it would have had it first. The names
  // are decided as they would have been then: a partial file of a later
  // job is no file yet.
  for (const Serial serial : RunningItems()) {
    ItemJob *job = JobOf(serial); // each may end when named (a completion that fails)
    if (job == nullptr || job->Named())
      continue;
    if (job->Phase() != Phase::Receiving)
      break;
    // Another address's partial file keeps its name taken.
    const auto inFolder = [this, job](const std::string &candidate) {
      const std::filesystem::path target = folder_ / candidate;
      for (const auto &running : jobs_)
        if (running->PartName() == candidate) {
          std::error_code ec;
          return std::filesystem::exists(std::filesystem::symlink_status(target, ec));
        }
      return net::PartialFile::NameInUse(target, job->Source());
    };
    job->Name(names_.NameFor(*items_.IndexOf(serial), job->Proposal(), inFolder));
  }
}

void Scheduler::Stop() {
  if (!running_)
    return;
  std::vector<std::unique_ptr<ItemJob>> jobs;
  jobs.swap(jobs_);
  for (auto &job : jobs) {
    job->Cancel(Phase::Cancelled, "stopped");
    ended_.push_back(std::move(job));
  }
  Soon(); // the jobs go on the next turn
  EndPass();
}

void Scheduler::Pause(const std::vector<Serial> &serials) {
  for (const Serial serial : serials) {
    if (ItemJob *job = JobOf(serial)) {
      job->Cancel(Phase::Paused, "paused");
      Retire(*job);
      continue;
    }
    const list::Item *item = items_.Find(serial);
    if (item != nullptr && !base::IsFinished(item->phase) && item->phase != Phase::Unsupported &&
        item->phase != Phase::Paused)
      items_.SetPhase(serial, Phase::Paused, "paused");
  }
  Soon();
}

std::vector<Serial> Scheduler::Resume(const std::vector<Serial> &serials) {
  std::vector<Serial> resumed;
  for (const Serial serial : serials)
    if (const list::Item *item = items_.Find(serial); item && item->phase == Phase::Paused) {
      // Bytes it has stay in its partial file, for the next job to go on from.
      items_.SetPhase(serial, Phase::Waiting, "resumed");
      resumed.push_back(serial);
    }
  return resumed;
}

void Scheduler::Release(const std::vector<Serial> &serials) {
  for (const Serial serial : serials)
    if (ItemJob *job = JobOf(serial)) {
      job->Cancel(Phase::Cancelled, "removed, its bytes kept");
      Retire(*job);
    }
  Soon();
}

void Scheduler::Renamed(Serial serial, const std::string &name) {
  if (ItemJob *job = JobOf(serial))
    job->Renamed(name);
}

void Scheduler::Rewind(std::size_t index) {
  cursor_ = std::min(cursor_, index);
}

void Scheduler::SetRequest(list::Serial serial, base::ItemRequest request) {
  requests_[serial] = std::make_shared<const base::ItemRequest>(std::move(request));
}

std::shared_ptr<const base::ItemRequest> Scheduler::RequestOf(list::Serial serial) const {
  const auto found = requests_.find(serial);
  return found == requests_.end() ? nullptr : found->second;
}

void Scheduler::DiscardGone() {
  std::erase_if(requests_, [this](const auto &entry) { return !items_.IndexOf(entry.first); });
  bool gone = false;
  for (auto it = jobs_.begin(); it != jobs_.end();) {
    if (items_.IndexOf((*it)->Serial())) {
      ++it;
      continue;
    }
    (*it)->Discard();
    ended_.push_back(std::move(*it));
    it = jobs_.erase(it);
    gone = true;
  }
  if (gone)
    Soon();
}

// What the list's changes start waits for the loop's next turn: observers
// are told in the middle of a change.
void Scheduler::ItemChanged(std::size_t index) {
  if (running_ && index < cursor_ && Takeable(items_[index])) {
    Rewind(index);
    Soon();
  }
}

void Scheduler::ItemsAdded(std::size_t first, std::size_t) {
  Rewind(first);
  Soon();
}

void Scheduler::ItemsRemoved(std::size_t first, std::size_t) {
  Rewind(first);
  DiscardGone();
  Soon();
}

void Scheduler::ItemsSwapped(std::size_t index) {
  Rewind(index);
  Soon(); // the list's order is the naming order
}

void Scheduler::ListReset() {
  Rewind(0);
  DiscardGone();
  Soon();
}

} // namespace vidtrawl::scheduler
