#include "scheduler/ClipboardMonitor.h"

#include "settings/Settings.h"

namespace vidtrawl::scheduler {

ClipboardMonitor::ClipboardMonitor(settings::Settings &settings) : settings_(settings) {}

void ClipboardMonitor::Monitor(bool state) {
  settings_.bMonitorEnabled = state;
}

} // namespace vidtrawl::scheduler
