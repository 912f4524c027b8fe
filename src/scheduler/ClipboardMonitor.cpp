#include "scheduler/ClipboardMonitor.h"

#include "base/Guarded.h"
#include "base/TrimBlanks.h"
#include "host/Clipboard.h"
#include "host/MovieVariableNames.h"
#include "host/MovieVariables.h"
#include "host/Timers.h"
#include "list/LinkAdder.h"
#include "resolve/VideoPageAddress.h"
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

void ClipboardMonitor::txtMonitor_Change(const std::string &copied) {
  // Whatever else the user copies is not the monitor's: it leaves no trace.
  if (!resolve::IsVideoPageAddress(copied))
    return;
  const std::string text(base::TrimBlanks(copied));
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
  sLastClipText_ = text;
  if (!resolve::IsVideoPageAddress(text))
    return;
  const std::string address(base::TrimBlanks(text));
  Guarded([&] { adder_.AddLink(address); });
  Guarded([&] { movie_.SetFlashVariable(host::movie::kVideoUrl, address); });
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
