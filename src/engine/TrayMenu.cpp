#include "engine/TrayMenu.h"

#include "base/Guarded.h"
#include "engine/MovieCommands.h"
#include "host/Timers.h"
#include "scheduler/ClipboardMonitor.h"
#include "scheduler/StartStopControl.h"
#include "settings/Settings.h"

#include <string>

namespace vidtrawl::engine {

TrayMenu::TrayMenu(MovieCommands &commands, scheduler::StartStopControl &control,
                   scheduler::ClipboardMonitor &monitor, settings::Settings &settings,
                   host::MovieVariables &movie, host::Timers &timers)
    : commands_(commands), control_(control), monitor_(monitor), settings_(settings), movie_(movie),
      timers_(timers) {}

bool TrayMenu::MonitorChecked() const {
  return settings_.bMonitorEnabled;
}

void TrayMenu::mnuDownload_Click() {
  if (control_.MenuCaption() == scheduler::StartStopControl::kStartCaption)
    commands_.Flash_FSCommand("IDC_FS_startDownload", "");
  else
    commands_.Flash_FSCommand("IDC_FS_stopDownload", "");
}

void TrayMenu::mnuMonitor_Click(bool checked) {
  monitor_.Monitor(!checked);
  settings_.ShowSettings(movie_);
}

void TrayMenu::mnuExit_Click() {
  timers_.StartTimer(host::Timers::Id::End);
}

} // namespace vidtrawl::engine
