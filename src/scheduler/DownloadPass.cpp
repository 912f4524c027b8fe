#include "scheduler/DownloadPass.h"

#include "host/MovieVariableNames.h"
#include "host/MovieVariables.h"
#include "list/CurrentItem.h"
#include "list/DownloadList.h"
#include "list/LinkAdder.h"
#include "list/ListBinder.h"
#include "list/ListEditor.h"
#include "list/Status.h"
#include "scheduler/WindowState.h"
#include "settings/Settings.h"
#include "transfer/Download.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <system_error>

namespace vidtrawl::scheduler {
namespace {

namespace fs = std::filesystem;

constexpr char kAboutPage[] = "About";

// Runs one step of the pass; a step that fails is skipped.
template <typename Step> void Guarded(Step &&step) {
  try {
    step();
  } catch (...) {
  }
}

// Marks the pass as running for as long as it lasts, however it ends.
class RunningScope {
public:
  explicit RunningScope(bool &flag) : flag_(flag) { flag_ = true; }
  ~RunningScope() { flag_ = false; }
  RunningScope(const RunningScope &) = delete;
  RunningScope &operator=(const RunningScope &) = delete;

private:
  bool &flag_;
};

} // namespace

DownloadPass::DownloadPass(list::DownloadList &items, list::ListBinder &binder,
                           list::ListEditor &editor, list::LinkAdder &adder,
                           transfer::Download &download, WindowState &state,
                           host::MovieVariables &movie, const settings::Settings &settings)
    : items_(items), binder_(binder), editor_(editor), adder_(adder), download_(download),
      state_(state), movie_(movie), settings_(settings) {}

bool DownloadPass::SizeTextMeansFailure(const std::string &sizeText) {
  // The first two characters, read as a number: an optional sign, digits and
  // at most one decimal separator, blanks around it allowed.
  std::string head = sizeText.substr(0, 2);
  while (!head.empty() && head.back() == ' ')
    head.pop_back();
  while (!head.empty() && head.front() == ' ')
    head.erase(0, 1);
  std::size_t at = 0;
  bool negative = false;
  if (at < head.size() && (head[at] == '-' || head[at] == '+'))
    negative = head[at++] == '-';
  bool digits = false;
  for (; at < head.size(); ++at) {
    const char c = head[at];
    if (std::isdigit(static_cast<unsigned char>(c)))
      digits = true;
    else if (c != '.' && c != ',')
      return true; // not a number
  }
  // Two characters hold at most one digit after a sign: -1 is "-1" exactly.
  return !digits || (negative && head == "-1");
}

// After a step that yields: a stop request ends the pass (the item, when
// still there, becomes "Cancelled"), and an item removed meanwhile is gone.
std::optional<DownloadPass::Outcome> DownloadPass::EndedMeanwhile(std::size_t index, bool present) {
  if (state_.bStopRequested) {
    if (present)
      SetStatus(index, list::kCancelled);
    Guarded([&] { binder_.BindList(); });
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
  if (index < items_.Count())
    items_[index].Status = status;
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
  RunningScope running(state_.bDownloading);

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
      next = items_.IndexOfSerial(following, at + 1);
    if (!next)
      next = outcome == Outcome::Gone ? std::min(at, items_.Count()) : processed + 1;

    if (outcome == Outcome::Skipped) {
      // After a skip the pass ends at the last item noted when it began.
      const auto last = items_.IndexOfSerial(lastNoted, at);
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
    list::SetCurrentItem(items_, state_, i);
    editor_.LocateCurrentRow();
  });
  const std::uint64_t serial = state_.currentSerial;
  auto refind = [&] {
    const auto at = items_.IndexOfSerial(serial, i);
    if (at) {
      i = *at;
      state_.iCurrentItem = static_cast<int>(i);
    }
    return at.has_value();
  };

  std::string videoAddress;
  try {
    videoAddress = adder_.ResolveItem(i);
  } catch (...) {
    if (refind())
      SetStatus(i, list::kError);
  }
  Guarded([&] { binder_.BindList(); });

  bool present = refind();
  if (const auto ended = EndedMeanwhile(i, present))
    return *ended;
  if (HasStatus(i, list::kError))
    return Outcome::Skipped;

  const fs::path target = fs::path(settings_.sDownloadDir) / items_[i].FileName;
  download_.SetUrl(videoAddress);
  download_.SetLocalFile(target.string());
  Guarded([&] {
    std::error_code ec;
    if (fs::exists(fs::symlink_status(target, ec)) && !fs::is_directory(target, ec))
      fs::remove(target, ec);
  });

  // Judged by what this transfer itself reported: a transfer that could not
  // write its file raises no event and must not pass for a completed one.
  bool completed = false;
  state_.sDownloadResult.clear();
  try {
    editor_.LocateCurrentRow();
    download_.StartDownload();
    completed = state_.sDownloadResult == "1";
  } catch (...) {
    completed = false;
  }

  present = refind();
  if (const auto ended = EndedMeanwhile(i, present))
    return *ended;

  bool failed = true;
  Guarded([&] { failed = !completed || SizeTextMeansFailure(items_.At(i).FileSize); });
  SetStatus(i, failed ? list::kError : list::kComplete);
  Guarded([&] { binder_.BindList(); });
  return refind() ? Outcome::Transferred : Outcome::Gone;
}

} // namespace vidtrawl::scheduler
