#pragma once

#include "gui/ClipboardReader.h"

#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace vidtrawl::gui {

class CopyRecords;

// Watches a Wayland compositor's clipboard through wl-clipboard's wl-paste,
// whose watch mode uses the wlroots data-control protocol (sway and the
// other wlroots compositors, KDE): it sees copies while the program's window
// is hidden. One wl-paste runs while the reader watches, in a process group
// of its own that ends with the reader, or with the thread that started it
// should the program end some other way; for each copy it runs a short
// command (CopyRecords) that hands the copy's text over a pipe. What the
// clipboard holds when watching starts was copied before: it is not
// delivered. A text with a NUL byte, or that is not UTF-8, is not text.
class WaylandClipboardReader final : public ClipboardReader {
public:
  enum class Ending {
    kUnsupported, // the compositor lacks data-control (GNOME, Weston)
    kFailed,      // no compositor to talk to, or wl-paste ended otherwise
  };
  // Told, on the reader's thread, when wl-paste ends without being stopped,
  // with what it said about why. Nothing more is delivered after it.
  using Ended = std::function<void(Ending ending, const std::string &message)>;

  // Nothing when wl-paste is not installed. `display` is the compositor's
  // socket, a name or an absolute path (nullptr: $WAYLAND_DISPLAY).
  static std::unique_ptr<WaylandClipboardReader> Open(Ended ended = {},
                                                      const char *display = nullptr);
  ~WaylandClipboardReader() override;
  WaylandClipboardReader(const WaylandClipboardReader &) = delete;
  WaylandClipboardReader &operator=(const WaylandClipboardReader &) = delete;

  void Start(Delivery delivery) override;
  void Stop() override;
  bool Running() const { return thread_.joinable(); }

private:
  WaylandClipboardReader(std::string program, Ended ended, const char *display);
  void Run();
  // Reads wl-paste's output until it ends or the reader stops; true when stopped.
  bool Follow(int out, int err, CopyRecords &records, std::string &said);

  std::string program_; // wl-paste's path
  std::vector<std::string> environment_;
  Ended ended_;
  Delivery delivery_;
  std::thread thread_;
  int wake_[2] = {-1, -1}; // a pipe that ends the thread's wait
  std::chrono::steady_clock::time_point started_;
};

} // namespace vidtrawl::gui
