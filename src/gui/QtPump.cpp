#include "gui/QtPump.h"

#include <QCoreApplication>

namespace vidtrawl::gui {

void QtPump::Yield() {
  const Clock::time_point now = Clock::now();
  if (now - last_ < interval_)
    return;
  ++turns_;
  QCoreApplication::processEvents(QEventLoop::AllEvents);
  // Counted from the end of the turn: a long turn (a dialog) is no reason
  // to turn again at once.
  last_ = Clock::now();
}

} // namespace vidtrawl::gui
