#include "scheduler/DownloadPass.h"

#include "base/Guarded.h"
#include "base/ScopedFlag.h"
#include "host/MessageBox.h"
#include "host/MovieVariableNames.h"
#include "host/MovieVariables.h"
#include "list/CurrentItem.h"
#include "list/DownloadList.h"
#include "list/FormatSize.h"
#include "list/LinkAdder.h"
#include "list/ListBinder.h"
#include "list/ListEditor.h"
#include "list/Status.h"
#include "net/Download.h"
#include "net/PartialFile.h"
#include "scheduler/RunState.h"
#include "settings/Settings.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace vidtrawl::scheduler {
namespace {

namespace fs = std::filesystem;
using base::Guarded;

constexpr char kAboutPage[] = "About";

} // namespace

DownloadPass::DownloadPass(list::DownloadList &items, list::CurrentItem &current,
                           list::ListBinder &binder, list::ListEditor &editor,
                           list::LinkAdder &adder, net::Download &download, RunState &state,
                           host::MovieVariables &movie, host::MessageBox &messages,
                           const settings::Settings &settings)
    : items_(items), current_(current), binder_(binder), editor_(editor), adder_(adder),
      download_(download), state_(state), movie_(movie), messages_(messages), settings_(settings),
      names_(items) {}

// After a step that yields: a stop request ends the pass (the item, when
// still there, becomes "Cancelled"), and an item removed meanwhile is gone.
std::optional<DownloadPass::Outcome> DownloadPass::EndedMeanwhile(std::size_t index, bool present) {
  if (state_.bStopRequested) {
    if (present) {
      SetStatus(index, list::kCancelled);
      binder_.RefreshRow(index);
    }
    return Outcome::Stopped;
  }
  if (!present)
    return Outcome::Gone;
  return std::nullopt;
}

bool DownloadPass::HasStatus(std::size_t index, const char *status) const {
  return index < items_.Count() && items_[index].Status == status;
}

void DownloadPass::SetStatus(std::size_t index, const char *status) {
  items_.SetStatus(index, status);
}

void DownloadPass::LogFailure(const std::string &name, const std::string &reason) {
  Guarded([&] { messages_.Log(name + ": " + reason); });
}

void DownloadPass::StartDownloading() {
  if (state_.bDownloading)
    return; // one pass at a time: the transfer component serves one caller
  if (state_.sActivePage == kAboutPage)
    Guarded([&] { movie_.SetFlashVariable(host::movie::kDownloadBtnTab, host::movie::kFlagOn); });

  // The whole path is created, parents included.
  Guarded([&] {
    std::error_code ec;
    if (!settings_.sDownloadDir.empty() && !fs::is_directory(settings_.sDownloadDir, ec))
      fs::create_directories(settings_.sDownloadDir, ec);
  });

  state_.bStopRequested = false;
  summary_ = {};
  names_.Clear();
  base::ScopedFlag running(state_.bDownloading);
  // However the pass ends, it follows no item afterwards.
  struct Unfollow {
    list::CurrentItem &current;
    ~Unfollow() { current.Clear(); }
  } unfollow{current_};

  if (items_.IsListEmpty())
    return;
  // Items are followed by their serials, since the user may add, remove or
  // move items while an item is processed: the pass goes on with the item
  // that followed the processed one, and the last item noted now is where a
  // pass that got there by skipping ends.
  const std::uint64_t lastNoted = items_.SerialAt(items_.Count() - 1);
  std::size_t i = 0;
  while (i < items_.Count()) {
    const std::size_t at = i;
    const std::uint64_t serial = items_.SerialAt(at);
    const std::uint64_t following = at + 1 < items_.Count() ? items_.SerialAt(at + 1) : 0;

    Outcome outcome = Outcome::Skipped;
    Guarded([&] {
      if (!list::IsFinishedStatus(items_.At(at).Status))
        outcome = Outcome::Process;
    });
    std::size_t processed = at;
    if (outcome == Outcome::Process)
      outcome = ProcessItem(processed);
    if (outcome == Outcome::Stopped)
      return;

    // The next item: the one that followed this one, wherever it stands
    // now; else the one after this item's place (items appended meanwhile
    // are reached that way).
    std::optional<std::size_t> next;
    if (following != 0)
      next = items_.IndexOfSerial(following);
    if (!next)
      next = outcome == Outcome::Gone ? std::min(at, items_.Count()) : processed + 1;

    if (outcome == Outcome::Skipped) {
      // After a skip the pass ends at the last item noted when it began.
      const auto last = items_.IndexOfSerial(lastNoted);
      if (serial == lastNoted || !last || *last < *next)
        return;
    }
    i = *next;
  }
}

DownloadPass::Outcome DownloadPass::ProcessItem(std::size_t &i) {
  // The user may remove or move items at every yield: the item is followed
  // by its serial, and nothing is written for an item that is gone.
  Guarded([&] {
    current_.Set(items_, i);
    editor_.LocateCurrentRow();
  });
  auto refind = [&] {
    const auto at = current_.Find(items_);
    if (at)
      i = *at;
    return at.has_value();
  };

  std::string videoAddress;
  try {
    videoAddress = adder_.ResolveItem(i);
  } catch (...) {
    if (refind())
      SetStatus(i, list::kError);
  }
  // The row may be rebuilt (a yield) when the grid lags behind the list.
  if (refind())
    binder_.RefreshRow(i);
  bool present = refind();
  if (const auto ended = EndedMeanwhile(i, present))
    return *ended;
  if (HasStatus(i, list::kError)) {
    if (!adder_.Failure().empty())
      LogFailure(items_[i].FileName, adder_.Failure());
    ++summary_.failed;
    return Outcome::Skipped;
  }

  // No file is overwritten, neither another item's, nor one this pass
  // completed, nor one the folder holds: the item is saved under a free
  // variant of its name, and shows it.
  const fs::path folder(settings_.sDownloadDir);
  std::string name = names_.NameFor(i, [&](const std::string &candidate) {
    return net::PartialFile::NameInUse(folder / candidate);
  });
  if (name != items_[i].FileName) {
    items_.SetFileName(i, name);
    binder_.RefreshRow(i);
  }
  download_.SetUrl(videoAddress);
  download_.SetLocalFile((folder / name).string());

  // Judged by what this transfer itself reported: a transfer that could not
  // write its file raises no event and must not pass for a completed one.
  bool completed = false;
  std::string reason;
  std::optional<net::PartialFile> target;
  try {
    target.emplace(download_.LocalFile());
    download_.SetTarget(&*target);
    editor_.LocateCurrentRow();
    completed = download_.StartDownload();
    reason = download_.FailureReason();
  } catch (const std::exception &fault) {
    reason = fault.what();
  } catch (...) {
    reason = "the transfer failed";
  }
  download_.SetTarget(nullptr);

  present = refind();
  if (const auto ended = EndedMeanwhile(i, present))
    return *ended;

  const bool failed = !completed;
  if (failed) {
    LogFailure(name, reason);
  } else {
    // A file of the item's name may have appeared while it was received.
    name = fs::path(target->Target()).filename().string();
    if (name != items_[i].FileName)
      items_.SetFileName(i, name);
    names_.Completed(name);
    // The size text names what is on disk, announced or not.
    const std::string size = list::FormatSize(static_cast<double>(download_.BytesReceived()));
    if (!size.empty())
      items_.SetFileSize(i, size);
  }
  SetStatus(i, failed ? list::kError : list::kComplete);
  ++(failed ? summary_.failed : summary_.completed);
  binder_.RefreshRow(i);
  return refind() ? Outcome::Transferred : Outcome::Gone;
}

} // namespace vidtrawl::scheduler
