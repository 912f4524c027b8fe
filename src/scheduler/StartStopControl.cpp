#include "scheduler/StartStopControl.h"

#include "base/Guarded.h"
#include "host/Connectivity.h"
#include "host/MessageBox.h"
#include "host/MovieVariableNames.h"
#include "host/MovieVariables.h"
#include "list/DownloadList.h"
#include "scheduler/DownloadPass.h"
#include "scheduler/RunState.h"

namespace vidtrawl::scheduler {
namespace {

namespace movie = host::movie;
using Box = host::MessageBox;

using base::Guarded;

constexpr const char *kStopOrder[3] = {movie::kDownloadBtn, movie::kStartDownload,
                                       movie::kDownloadTab};
constexpr const char *kEndOrder[3] = {movie::kStartDownload, movie::kDownloadBtn,
                                      movie::kDownloadTab};

} // namespace

StartStopControl::StartStopControl(list::DownloadList &items, DownloadPass &pass, RunState &state,
                                   host::MovieVariables &movie, host::MessageBox &messages,
                                   host::Connectivity &connectivity)
    : items_(items), pass_(pass), state_(state), movie_(movie), messages_(messages),
      connectivity_(connectivity) {}

void StartStopControl::SetCaption(const char *caption) {
  caption_ = caption;
  if (listener_)
    Guarded(listener_);
}

void StartStopControl::SetMenuCaption(const char *caption) {
  menuCaption_ = caption;
  if (listener_)
    Guarded(listener_);
}

void StartStopControl::SetMovieFlags(const char *value, const char *const (&order)[3]) {
  for (const char *name : order)
    Guarded([&] { movie_.SetFlashVariable(name, value); });
}

void StartStopControl::RequestStop() {
  state_.bStopRequested = true;
  if (caption_ != kStopCaption)
    return; // no pass of the control's, or one already stopping
  SetCaption(kStartCaption);
  SetMenuCaption(kStartCaption);
  SetMovieFlags(movie::kFlagOn, kStopOrder);
}

void StartStopControl::cmdStartDownload_Click() {
  // A running pass can always be stopped, also when its list was emptied
  // meanwhile.
  if (caption_ == kStopCaption) {
    Box::Answer answer = Box::Answer::No;
    Guarded([&] {
      answer = messages_.Show(kConfirmStopText, Box::Buttons::YesNo, Box::Icon::Question);
    });
    if (answer == Box::Answer::Yes)
      RequestStop();
    return;
  }

  if (items_.IsListEmpty()) {
    Guarded([&] { movie_.SetFlashVariable(movie::kStartDownload, movie::kFlagOn); });
    Guarded([&] {
      messages_.ShowMessage(
          Box::Message{kEmptyListText, Box::Buttons::Ok, Box::Icon::Exclamation, kEmptyListTitle});
    });
    return;
  }

  // A confirmed stop shows the idle captions while the stopped pass is
  // still winding down; a start then would run a second pass inside the
  // first one, on the one transfer component.
  if (state_.bDownloading)
    return;

  bool online = false;
  Guarded([&] { online = connectivity_.IsConnected(); });
  if (!online) {
    Guarded([&] { messages_.Show(kOfflineText, Box::Buttons::Ok, Box::Icon::Exclamation); });
    return;
  }
  SetCaption(kStopCaption);
  SetMenuCaption(kStopCaption);
  SetMovieFlags(movie::kFlagOff, kStopOrder);
  Guarded([&] { pass_.StartDownloading(); });
  if (!state_.bStopRequested) {
    SetCaption(kStartCaption);
    SetMovieFlags(movie::kFlagOn, kEndOrder);
    SetMenuCaption(kStartCaption);
  }
  if (passEnded_)
    Guarded(passEnded_);
}

} // namespace vidtrawl::scheduler
