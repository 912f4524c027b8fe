#pragma once

#include <functional>
#include <string>

namespace vidtrawl::host {
class Connectivity;
class MessageBox;
class MovieVariables;
} // namespace vidtrawl::host
namespace vidtrawl::list {
class DownloadList;
}

namespace vidtrawl::scheduler {

class DownloadPass;
struct RunState;

// The one toggle that starts a download pass and stops a running one. Its
// caption decides which; the GUI's button and tray entry mirror the two
// captions kept here, and the movie mirrors three variables.
class StartStopControl {
public:
  static constexpr const char *kStartCaption = "Start Downloading";
  static constexpr const char *kStopCaption = "Stop Downloading";
  static constexpr const char *kEmptyListText = "Please add video URL's first.";
  static constexpr const char *kEmptyListTitle = "Empty List";
  static constexpr const char *kConfirmStopText =
      "Are you sure that you want to cancel downloading?";
  static constexpr const char *kOfflineText =
      "You are not connected to the internet, Please connect first then try again";

  StartStopControl(list::DownloadList &items, DownloadPass &pass, RunState &state,
                   host::MovieVariables &movie, host::MessageBox &messages,
                   host::Connectivity &connectivity);

  // Starts a pass (which runs inside this call) or, while one runs, asks
  // whether to stop it.
  void cmdStartDownload_Click();

  // The deferred start: the host's one-shot timer has fired (and is off).
  void tmrDownload_Timer() { cmdStartDownload_Click(); }

  // A stop the user has already confirmed (the answer Yes to the control's
  // question, an interrupt, an exit): the running pass stops after the
  // current chunk and the captions show the idle state at once.
  void RequestStop();

  // The button's caption and the tray entry's (mnuDownload) caption.
  const std::string &Caption() const { return caption_; }
  const std::string &MenuCaption() const { return menuCaption_; }

  // Called after either caption changed.
  void OnCaptionsChanged(std::function<void()> listener) { listener_ = std::move(listener); }
  // Called when a pass this control started has ended, however it ended.
  void OnPassEnded(std::function<void()> listener) { passEnded_ = std::move(listener); }

private:
  void SetCaption(const char *caption);
  void SetMenuCaption(const char *caption);
  void SetMovieFlags(const char *value, const char *const (&order)[3]);

  list::DownloadList &items_;
  DownloadPass &pass_;
  RunState &state_;
  host::MovieVariables &movie_;
  host::MessageBox &messages_;
  host::Connectivity &connectivity_;
  std::string caption_ = kStartCaption;
  std::string menuCaption_ = kStartCaption;
  std::function<void()> listener_;
  std::function<void()> passEnded_;
};

} // namespace vidtrawl::scheduler
