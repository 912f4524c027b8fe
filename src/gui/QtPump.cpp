#include "gui/QtPump.h"

#include <QCoreApplication>

#include <time.h>

namespace vidtrawl::gui {
namespace {

// The kernel's tick-grained clock: a few nanoseconds to read, where the
// precise one costs several times that on every one of the engine's yields,
// and a tick (a few milliseconds) is all the precision a turn needs.
std::int64_t CoarseNow() {
  timespec now{};
  ::clock_gettime(CLOCK_MONOTONIC_COARSE, &now);
  return static_cast<std::int64_t>(now.tv_sec) * 1'000'000'000 + now.tv_nsec;
}

} // namespace

void QtPump::Yield() {
  if (CoarseNow() - last_ < intervalNs_)
    return;
  ++turns_;
  QCoreApplication::processEvents(QEventLoop::AllEvents);
  // Counted from the end of the turn: a long turn (a dialog) is no reason
  // to turn again at once.
  last_ = CoarseNow();
}

} // namespace vidtrawl::gui
