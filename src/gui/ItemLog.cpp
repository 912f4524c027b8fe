#include "gui/ItemLog.h"

#include <QTime>

namespace vidtrawl::gui {

void ItemLog::Follow(engine::Engine *engine) {
  Unfollow();
  engine_ = engine;
  if (engine_ != nullptr)
    engine_->Subscribe(this);
}

void ItemLog::Unfollow() {
  if (engine_ != nullptr)
    engine_->Unsubscribe(this);
  engine_ = nullptr;
}

void ItemLog::Write(const base::TraceLine &line) {
  if (line.item == 0)
    return;
  ++written_;
  std::deque<std::string> &kept = lines_[line.item];
  kept.push_back(QTime::currentTime().toString(QStringLiteral("HH:mm:ss.zzz")).toStdString() +
                 " [" + std::string(base::TopicName(line.topic)) + "] " + line.text);
  if (kept.size() > kLinesPerItem)
    kept.pop_front();
}

std::string ItemLog::Text(const std::vector<engine::Serial> &items) const {
  std::string text;
  for (const engine::Serial serial : items) {
    const std::optional<engine::ItemView> item =
        engine_ != nullptr ? engine_->Find(serial) : std::nullopt;
    if (!item)
      continue;
    text += (text.empty() ? "" : "\n") + item->address + "\n";
    if (const auto found = lines_.find(serial); found != lines_.end())
      for (const std::string &line : found->second)
        text += line + "\n";
  }
  return text;
}

void ItemLog::ItemsAboutToBeRemoved(std::size_t first, std::size_t count) {
  for (std::size_t i = first; i < first + count; ++i)
    lines_.erase(engine_->SerialAt(i));
}

void ItemLog::ListReset() {
  // The lines of the items the list holds now stay.
  std::unordered_map<engine::Serial, std::deque<std::string>> kept;
  for (std::size_t i = 0; i < engine_->Count(); ++i)
    if (const auto found = lines_.find(engine_->SerialAt(i)); found != lines_.end())
      kept.emplace(found->first, std::move(found->second));
  lines_ = std::move(kept);
}

} // namespace vidtrawl::gui
