#pragma once

namespace vidtrawl::settings {
class Settings;
}

namespace vidtrawl::scheduler {

// Switches the watching of the clipboard on and off and keeps the monitor
// setting in step (bMonitorEnabled; saving it is the caller's business).
class ClipboardMonitor {
public:
  explicit ClipboardMonitor(settings::Settings &settings);

  // Monitor(true) starts watching, Monitor(false) stops it.
  void Monitor(bool state);

private:
  settings::Settings &settings_;
};

} // namespace vidtrawl::scheduler
