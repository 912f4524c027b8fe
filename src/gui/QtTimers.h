#pragma once

#include "host/Timers.h"

#include <QTimer>

#include <array>
#include <functional>

namespace vidtrawl::gui {

// The main window's three timers on Qt: tmrDownload and tmrend (200 ms) and
// tmrMonitor (2000 ms), all off at start. A timer that fires calls the
// handler with its name; the handler switches a one-shot timer off itself.
class QtTimers final : public host::Timers {
public:
  explicit QtTimers(std::function<void(Id)> fired);

  void StartTimer(Id timer) override;
  void StopTimer(Id timer) override;
  bool TimerRunning(Id timer) const override;

private:
  QTimer &Of(Id timer);
  const QTimer &Of(Id timer) const;

  std::array<QTimer, 3> timers_;
};

} // namespace vidtrawl::gui
