#include "cli/ConsoleMessageBox.h"

#include "base/ControlCharacters.h"

namespace vidtrawl::cli {

host::MessageBox::Answer ConsoleMessageBox::ShowMessage(const Message &message) {
  std::string line = "vidtrawl-cli: ";
  if (!message.title.empty() && message.title != kAppTitle)
    line += message.title + ": ";
  // One line: the box's line breaks become blanks.
  for (std::size_t i = 0; i < message.text.size(); ++i) {
    const char c = message.text[i];
    if (c == '\r' && i + 1 < message.text.size() && message.text[i + 1] == '\n')
      continue;
    line += (c == '\r' || c == '\n') ? ' ' : c;
  }
  if (view_ != nullptr)
    view_->MakeRoomForMessage();
  writer_(base::VisibleText(line) + "\n");
  return message.buttons == Buttons::YesNo ? Answer::Yes : Answer::Ok;
}

} // namespace vidtrawl::cli
