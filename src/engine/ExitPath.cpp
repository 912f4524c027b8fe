#include "engine/ExitPath.h"

#include "base/Guarded.h"
#include "host/MainWindow.h"
#include "host/MessageBox.h"
#include "host/Timers.h"
#include "scheduler/ClipboardMonitor.h"
#include "scheduler/RunState.h"
#include "scheduler/StartStopControl.h"

namespace vidtrawl::engine {

using base::Guarded;
using Box = host::MessageBox;

ExitPath::ExitPath(scheduler::RunState &state, scheduler::StartStopControl &control,
                   scheduler::ClipboardMonitor &monitor, host::MessageBox &messages,
                   host::MainWindow &window, host::Timers &timers)
    : state_(state), control_(control), monitor_(monitor), messages_(messages), window_(window),
      timers_(timers) {}

bool ExitPath::ConfirmExit() {
  Box::Answer answer = Box::Answer::No;
  Guarded([&] { answer = messages_.Show(kConfirmText, Box::Buttons::YesNo, Box::Icon::Question); });
  if (answer != Box::Answer::Yes)
    return false;
  // Through the control, so that a pass that is still winding down when
  // the program ends has already been told.
  control_.RequestStop();
  return true;
}

void ExitPath::EndMe() {
  // A second request while the first is ending (a close event during the
  // question, say) has nothing left to do.
  if (ending_)
    return;
  if (state_.bDownloading && !ConfirmExit())
    return;
  ending_ = true;
  Guarded([&] { window_.StopHook(); });
  Guarded([&] { monitor_.Monitor(false); });
  Guarded([&] { window_.UnloadMenu(); });
  Guarded([&] { window_.EndProcess(); });
}

void ExitPath::tmrend_Timer() {
  Guarded([&] { timers_.StopTimer(host::Timers::Id::End); });
  EndMe();
}

} // namespace vidtrawl::engine
