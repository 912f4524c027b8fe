#pragma once

namespace vidtrawl::host {
class MovieVariables;
class Timers;
} // namespace vidtrawl::host
namespace vidtrawl::scheduler {
class ClipboardMonitor;
class StartStopControl;
} // namespace vidtrawl::scheduler
namespace vidtrawl::settings {
class Settings;
}

namespace vidtrawl::engine {

class MovieCommands;

// What the tray menu's entries do; the desktop draws the menu and passes
// the clicks on. Captions and the monitor's check mark come from here too.
class TrayMenu {
public:
  TrayMenu(MovieCommands &commands, scheduler::StartStopControl &control,
           scheduler::ClipboardMonitor &monitor, settings::Settings &settings,
           host::MovieVariables &movie, host::Timers &timers);

  // The check mark of the monitor entry when the menu opens.
  bool MonitorChecked() const;
  // mnuDownload: a start 200 ms later while its caption reads "Start
  // Downloading", else the stop question at once.
  void mnuDownload_Click();
  // mnuMonitor: monitoring the other way round from the check mark shown;
  // the movie shows it, the setting is not saved.
  void mnuMonitor_Click(bool checked);
  // mnuExit: the exit runs 200 ms later, after the menu has closed.
  void mnuExit_Click();

private:
  MovieCommands &commands_;
  scheduler::StartStopControl &control_;
  scheduler::ClipboardMonitor &monitor_;
  settings::Settings &settings_;
  host::MovieVariables &movie_;
  host::Timers &timers_;
};

} // namespace vidtrawl::engine
