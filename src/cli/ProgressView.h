#pragma once

#include "cli/ProgressSnapshot.h"

#include <functional>
#include <string>

namespace vidtrawl::cli {

// Where console text goes (stderr in the program, a string in tests).
using ConsoleWriter = std::function<void(const std::string &text)>;

// Shows the progress of a pass on the console.
class ProgressView {
public:
  virtual ~ProgressView() = default;
  // A new state of the list; called a few times a second at most.
  virtual void Show(const ProgressSnapshot &snapshot) = 0;
  // The last state, after the pass.
  virtual void Finish(const ProgressSnapshot &snapshot) = 0;
  // Other text is about to be written to the same console.
  virtual void MakeRoomForMessage() {}
};

// Shows nothing (--quiet).
class SilentProgressView final : public ProgressView {
public:
  void Show(const ProgressSnapshot &) override {}
  void Finish(const ProgressSnapshot &) override {}
};

// The text shown for an item's state when no bar is drawn.
std::string DisplayState(const ItemView &item);

} // namespace vidtrawl::cli
