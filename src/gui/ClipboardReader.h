#pragma once

#include <cstddef>
#include <functional>
#include <string>

namespace vidtrawl::gui {

// Watches the desktop's clipboard apart from the program's window, so that
// copies are seen while the window is hidden. Each copied text (at most
// kMaxText bytes; anything longer, or not text at all, counts as no text) is
// handed to the delivery function once, on the reader's own thread.
class ClipboardReader {
public:
  static constexpr std::size_t kMaxText = 8192; // longer than any address
  using Delivery = std::function<void(const std::string &text)>;

  virtual ~ClipboardReader() = default;

  // Starts watching; a reader already watching goes on as it was.
  virtual void Start(Delivery delivery) = 0;
  // Stops watching: once it returns, nothing more is delivered.
  virtual void Stop() = 0;
};

} // namespace vidtrawl::gui
