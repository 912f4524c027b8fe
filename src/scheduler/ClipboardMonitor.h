#pragma once

#include <string>

namespace vidtrawl::host {
class Clipboard;
class MovieVariables;
class Timers;
} // namespace vidtrawl::host
namespace vidtrawl::list {
class LinkAdder;
}
namespace vidtrawl::settings {
class Settings;
}

namespace vidtrawl::scheduler {

class StartStopControl;
struct RunState;

// Adds the video addresses the user copies and starts downloading by
// itself. Two ways in: the watcher delivers each copied text to the
// receiver (txtMonitor_Change), and a poll (tmrMonitor, switched by the
// hidden check box chkMonitor) reads the clipboard every two seconds.
class ClipboardMonitor {
public:
  ClipboardMonitor(settings::Settings &settings, RunState &state, list::LinkAdder &adder,
                   host::MovieVariables &movie, StartStopControl &control);

  // The desktop's clipboard and timers (none in the console: monitoring
  // then only keeps its setting).
  void Attach(host::Clipboard &clipboard, host::Timers &timers);

  // Monitor(true) starts watching, Monitor(false) stops it; either sets
  // bMonitorEnabled (saving it is the caller's business).
  void Monitor(bool state);

  // The receiver's change event: a text the watcher delivered.
  void txtMonitor_Change(const std::string &text);

  // The clipboard poll (tmrMonitor's tick), CallMonTimer runs one at once;
  // chkMonitor's click switches the poll.
  void tmrMonitor_Timer();
  void CallMonTimer() { tmrMonitor_Timer(); }
  void chkMonitor_Click();

  // Whether a start asked for by the monitor is still to come (and forget it).
  bool TakeStartRequest();

  const std::string &LastClipText() const { return sLastClipText_; }

private:
  settings::Settings &settings_;
  RunState &state_;
  list::LinkAdder &adder_;
  host::MovieVariables &movie_;
  StartStopControl &control_;
  host::Clipboard *clipboard_ = nullptr;
  host::Timers *timers_ = nullptr;
  std::string sLastClipText_;
  bool startRequested_ = false;
};

} // namespace vidtrawl::scheduler
