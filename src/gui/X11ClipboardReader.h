#pragma once

#include "gui/ClipboardReader.h"

#include <memory>
#include <mutex>
#include <string>
#include <thread>

namespace vidtrawl::gui {

// Watches the X11 CLIPBOARD selection on a connection and thread of its
// own, so it sees copies while the program's window is hidden, and a
// clipboard owner that never answers, a flood of copies or a huge text cost
// the program's window nothing. Each new owner's text is delivered.
class X11ClipboardReader final : public ClipboardReader {
public:
  // Connects to the display (nullptr: $DISPLAY); nothing when there is no X
  // server or it lacks the XFIXES extension.
  static std::unique_ptr<X11ClipboardReader> Open(const char *display = nullptr);
  ~X11ClipboardReader() override;
  X11ClipboardReader(const X11ClipboardReader &) = delete;
  X11ClipboardReader &operator=(const X11ClipboardReader &) = delete;

  void Start(Delivery delivery) override;
  void Stop() override;
  bool Running() const { return thread_.joinable(); }

  // The text of the last copy seen; empty when it held no text.
  std::string LastText() const;

private:
  struct Connection;
  explicit X11ClipboardReader(std::unique_ptr<Connection> connection);
  void Run();
  bool ReadSelection(unsigned timestamp, std::string &text);
  void Deliver(unsigned timestamp, bool hasOwner);

  std::unique_ptr<Connection> x_;
  Delivery delivery_;
  std::thread thread_;
  int wake_[2] = {-1, -1}; // a pipe that ends the thread's wait
  // A copy made while the one before was being read: read after it.
  bool changedAgain_ = false;
  unsigned againTimestamp_ = 0;
  bool againHasOwner_ = false;
  mutable std::mutex mutex_;
  std::string lastText_;
};

} // namespace vidtrawl::gui
