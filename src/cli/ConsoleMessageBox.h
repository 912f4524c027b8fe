#pragma once

#include "cli/ProgressView.h"
#include "host/MessageBox.h"

namespace vidtrawl::cli {

// Messages the desktop program would show in a box go to the console, one
// line each, prefixed with the program's name (and the box's title when it
// is not the application's). Nobody is there to answer a question: the
// answer is the one the user's Ctrl-C implies, "Yes" (the only question the
// engine asks is whether to stop).
class ConsoleMessageBox final : public host::MessageBox {
public:
  explicit ConsoleMessageBox(ConsoleWriter writer) : writer_(std::move(writer)) {}

  // The progress display that shares the console, told before each message.
  void SetProgressView(ProgressView *view) { view_ = view; }

  Answer ShowMessage(const Message &message) override;

private:
  ConsoleWriter writer_;
  ProgressView *view_ = nullptr;
};

} // namespace vidtrawl::cli
