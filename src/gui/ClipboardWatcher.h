#pragma once

#include "gui/ClipboardClaim.h"
#include "gui/DesktopHosts.h"

#include <QObject>
#include <QTimer>

#include <functional>
#include <memory>
#include <string>

namespace vidtrawl::gui {

class ClipboardReader;

// The clipboard monitor's watcher, built into the program. On X11 it reads
// the CLIPBOARD selection on a thread of its own (it sees copies while the
// window is hidden in the tray and never waits on the clipboard's owner); on
// Wayland it has wl-clipboard's wl-paste watch the clipboard, which needs a
// compositor with the wlroots data-control protocol. Elsewhere, or when
// wl-paste is missing or cannot watch, it follows Qt's clipboard, which on
// Wayland sees copies only while the window has the focus: the user is told
// so once, and why. Only one running copy of the program watches a clipboard
// (ClipboardClaim): another one that is asked to says so once, and takes
// over when the first ends or stops.
class ClipboardWatcher final : public QObject, public ClipboardSwitch {
public:
  // `deliver` receives each copied text on the program's thread.
  explicit ClipboardWatcher(std::function<void(const std::string &)> deliver,
                            std::function<void(const std::string &)> tell,
                            ClipboardClaim claim = {});
  ~ClipboardWatcher() override;

  void Watch(bool on) override;
  void Copy(const std::string &text) override;

  bool Claimed() const { return claim_.Held(); }

private:
  void Delivered(const std::string &text);
  // Qt's clipboard's text; none beyond the largest text an address may be.
  std::string Text() const;
  // Starts reading once the claim is this copy's.
  void StartWhenClaimed();
  void StartReading();
  void FollowQtClipboard();
  // The reader gave up: Qt's clipboard stands in for it.
  void ReaderEnded(std::string why);
  void TellFocusOnly();

  std::function<void(const std::string &)> deliver_;
  std::function<void(const std::string &)> tell_;
  std::unique_ptr<ClipboardReader> reader_;
  // Why Qt's clipboard stands in for a reader on Wayland.
  std::string focusOnlyWhy_;
  ClipboardClaim claim_;
  QTimer retry_; // while another copy holds the claim
  // The text this program put on the clipboard last: it is not a copy of the user's.
  std::string ownCopy_;
  bool watching_ = false;
  bool toldAboutFocus_ = false;
  bool toldAboutOther_ = false;
};

} // namespace vidtrawl::gui
