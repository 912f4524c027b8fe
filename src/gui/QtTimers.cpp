#include "gui/QtTimers.h"

namespace vidtrawl::gui {
namespace {

constexpr int kIntervals[] = {200, 200, 2000}; // Download, End, Monitor

std::size_t Slot(host::Timers::Id timer) {
  return static_cast<std::size_t>(timer);
}

} // namespace

QtTimers::QtTimers(std::function<void(Id)> fired) {
  for (const Id id : {Id::Download, Id::End, Id::Monitor}) {
    QTimer &timer = timers_[Slot(id)];
    timer.setInterval(kIntervals[Slot(id)]);
    QObject::connect(&timer, &QTimer::timeout, [fired, id] { fired(id); });
  }
}

QTimer &QtTimers::Of(Id timer) {
  return timers_[Slot(timer)];
}

const QTimer &QtTimers::Of(Id timer) const {
  return timers_[Slot(timer)];
}

void QtTimers::StartTimer(Id timer) {
  // Switching on a timer that runs already leaves it running as it was.
  if (!Of(timer).isActive())
    Of(timer).start();
}

void QtTimers::StopTimer(Id timer) {
  Of(timer).stop();
}

bool QtTimers::TimerRunning(Id timer) const {
  return Of(timer).isActive();
}

} // namespace vidtrawl::gui
