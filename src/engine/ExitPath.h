#pragma once

namespace vidtrawl::host {
class MainWindow;
class MessageBox;
class Timers;
} // namespace vidtrawl::host
namespace vidtrawl::scheduler {
class ClipboardMonitor;
class StartStopControl;
struct RunState;
} // namespace vidtrawl::scheduler

namespace vidtrawl::engine {

// The one way out of the desktop program. While a pass runs the user is
// asked first; a "No" leaves everything as it was.
class ExitPath {
public:
  static constexpr const char *kConfirmText =
      "Download is in Progress, Are you sure that you want to exit?";

  ExitPath(scheduler::RunState &state, scheduler::StartStopControl &control,
           scheduler::ClipboardMonitor &monitor, host::MessageBox &messages,
           host::MainWindow &window, host::Timers &timers);

  // Asks, removes the window filters, stops the clipboard monitor (in
  // memory; the saved setting stays), drops the tray menu and ends the
  // program. A running pass is stopped: its partial file stays on disk.
  void EndMe();
  // True when the user agreed to exit; the pass is then asked to stop.
  bool ConfirmExit();
  // The deferred exit of the tray menu: runs after the menu has closed.
  void tmrend_Timer();

private:
  scheduler::RunState &state_;
  scheduler::StartStopControl &control_;
  scheduler::ClipboardMonitor &monitor_;
  host::MessageBox &messages_;
  host::MainWindow &window_;
  host::Timers &timers_;
  bool ending_ = false;
};

} // namespace vidtrawl::engine
