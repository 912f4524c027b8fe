#pragma once

namespace vidtrawl::host {

// The main window's timers. Each calls its handler on the engine when it
// fires; a one-shot handler switches its timer off first.
class Timers {
public:
  enum class Id {
    Download, // tmrDownload, 200 ms: the deferred start of a pass
    End,      // tmrend, 200 ms: the deferred exit
    Monitor,  // tmrMonitor, 2000 ms: the clipboard poll
  };
  virtual ~Timers() = default;
  virtual void StartTimer(Id timer) = 0;
  virtual void StopTimer(Id timer) = 0;
  virtual bool TimerRunning(Id timer) const = 0;
};

} // namespace vidtrawl::host
