#include "cli/ItemLines.h"

#include "base/ControlCharacters.h"

namespace vidtrawl::cli {

ItemLines::ItemLines(engine::Engine &engine, ConsoleWriter writer, ProgressView *&view)
    : engine_(engine), writer_(std::move(writer)), view_(view) {
  engine_.Subscribe(this);
}

ItemLines::~ItemLines() {
  engine_.Unsubscribe(this);
}

void ItemLines::ItemChanged(std::size_t index) {
  const engine::ItemView item = engine_.ItemAt(index);
  std::string line;
  if (item.phase == engine::Phase::Failed)
    line = item.address + ": " + engine::ReasonText(item);
  else if (item.phase == engine::Phase::Complete && item.alreadyThere)
    line = engine::FileNameText(item) + ": already downloaded";
  if (line.empty() || !told_.insert(item.serial).second)
    return;
  if (view_ != nullptr)
    view_->MakeRoomForMessage();
  writer_(base::VisibleText("vidtrawl-cli: " + line) + "\n");
}

} // namespace vidtrawl::cli
