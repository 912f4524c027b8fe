#include "scheduler/ClipboardMonitor.h"

#include "base/Guarded.h"
#include "host/Clipboard.h"
#include "host/MovieVariableNames.h"
#include "host/MovieVariables.h"
#include "host/Timers.h"
#include "list/LinkAdder.h"
#include "resolve/SiteTable.h"
#include "scheduler/RunState.h"
#include "scheduler/StartStopControl.h"
#include "settings/Settings.h"

namespace vidtrawl::scheduler {

using base::Guarded;

ClipboardMonitor::ClipboardMonitor(settings::Settings &settings, RunState &state,
                                   list::LinkAdder &adder, host::MovieVariables &movie,
                                   StartStopControl &control)
    : settings_(settings), state_(state), adder_(adder), movie_(movie), control_(control) {}

void ClipboardMonitor::Attach(host::Clipboard &clipboard, host::Timers &timers) {
  clipboard_ = &clipboard;
  timers_ = &timers;
}

void ClipboardMonitor::Monitor(bool state) {
  if (clipboard_ != nullptr)
    Guarded([&] { clipboard_->Watch(state); });
  settings_.bMonitorEnabled = state;
}

void ClipboardMonitor::txtMonitor_Change(const std::string &text) {
  if (text.empty())
    return;
  // Taken as it is: the add itself tells supported sites from others and
  // lists an address once.
  adder_.AddLink(text);
  Guarded([&] { movie_.SetFlashVariable(host::movie::kVideoUrl, text); });
  if (!state_.bDownloading && timers_ != nullptr) {
    startRequested_ = true;
    timers_->StartTimer(host::Timers::Id::Download);
  }
}

void ClipboardMonitor::tmrMonitor_Timer() {
  std::string text;
  Guarded([&] {
    if (clipboard_ != nullptr)
      text = clipboard_->Text();
  });
  if (text == sLastClipText_)
    return;
  if (resolve::GetSiteID(text) == resolve::kNoSite) {
    sLastClipText_ = text;
    return;
  }
  Guarded([&] { adder_.AddLink(text); });
  Guarded([&] { movie_.SetFlashVariable(host::movie::kVideoUrl, text); });
  sLastClipText_ = text;
  Guarded([&] {
    if (!state_.bDownloading) {
      startRequested_ = true;
      control_.cmdStartDownload_Click();
    }
  });
}

void ClipboardMonitor::chkMonitor_Click() {
  sLastClipText_.clear();
  if (timers_ == nullptr)
    return;
  if (!timers_->TimerRunning(host::Timers::Id::Monitor)) {
    timers_->StartTimer(host::Timers::Id::Monitor);
    settings_.bMonitorEnabled = true;
  } else {
    timers_->StopTimer(host::Timers::Id::Monitor);
    settings_.bMonitorEnabled = false;
  }
}

bool ClipboardMonitor::TakeStartRequest() {
  const bool requested = startRequested_;
  startRequested_ = false;
  return requested;
}

} // namespace vidtrawl::scheduler
