#include "cli/TraceLines.h"

#include "base/ControlCharacters.h"

namespace vidtrawl::cli {

void TraceLines::Write(const base::TraceLine &line) {
  std::string text = "[" + std::string(base::TopicName(line.topic)) + "] ";
  if (line.item != 0 && engine_ != nullptr)
    if (const std::optional<std::size_t> index = engine_->IndexOf(line.item))
      text += "#" + std::to_string(*index + 1) + " ";
  if (view_ != nullptr)
    view_->MakeRoomForMessage();
  writer_(base::VisibleText(text + line.text) + "\n");
}

} // namespace vidtrawl::cli
