#pragma once

#include <string>

namespace vidtrawl::host {

// The clipboard and its watcher. While watching, the host delivers each
// newly copied text to the engine's receiver (Engine::txtMonitor_Change);
// Text() is the clipboard's text as last seen, read without waiting on the
// program that owns the clipboard.
class Clipboard {
public:
  virtual ~Clipboard() = default;
  // Starts (true) or stops (false) watching. Starting again while watching
  // changes nothing: no text is delivered twice for one copy.
  virtual void Watch(bool on) = 0;
  // The clipboard's plain text; empty when it holds none.
  virtual std::string Text() = 0;
};

} // namespace vidtrawl::host
